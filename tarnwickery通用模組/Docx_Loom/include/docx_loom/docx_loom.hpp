#pragma once

#include <docx_loom/document.hpp>

#include <string>

// The template engine: fills .docx templates and writes .docx and PDF files.
class Docx_Loom {
public:
    using Document = docx_loom::Document;

    std::string version_ = "v2025_01_04_001";
};
