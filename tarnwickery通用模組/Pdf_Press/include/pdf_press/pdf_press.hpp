#pragma once

#include <chrono>
#include <stdexcept>
#include <string>

// A .docx could not be turned into a PDF. The message names the input file and
// carries what LibreOffice printed.
class ConversionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Converts .docx files to PDF with LibreOffice. Constructing one starts nothing.
// Objects may be used from several threads and processes at once: each conversion
// takes a LibreOffice profile of its own under the working folder.
class Pdf_Press {
public:
    Pdf_Press() = default;

    // Writes the PDF of `input_docx` to `output_pdf` (UTF-8 paths; the output's folder
    // must exist), replacing any file there. Returns only with a complete PDF in place;
    // otherwise throws ConversionError, and no file is left at `output_pdf`.
    // `keep_active` asks to keep LibreOffice running for the next call; this version
    // starts it afresh each time.
    void convert(const std::string& input_docx, const std::string& output_pdf, bool keep_active);

    // How long one conversion may take before LibreOffice is killed.
    std::chrono::milliseconds time_limit{std::chrono::seconds(120)};
};
