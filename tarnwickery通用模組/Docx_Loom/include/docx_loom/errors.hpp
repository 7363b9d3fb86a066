#pragma once

#include <stdexcept>
#include <string>

namespace docx_loom {

// Base of every error the engine raises; the message says what failed and where.
class Error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The file is missing, unreadable, not a zip, lacks a main document part, or holds
// a part too large to inflate safely.
class PackageError : public Error {
public:
    using Error::Error;
};

// A part's XML, or XML handed to the engine, is not well-formed.
class XmlError : public Error {
public:
    using Error::Error;
};

// A replacement-plan value cannot be applied (a colour component of 300, an
// unknown alignment, a size that is not positive).
class TemplateError : public Error {
public:
    using Error::Error;
};

// An operation needs a Document attribute that no earlier operation has set yet.
class AttributeMissing : public Error {
public:
    explicit AttributeMissing(const std::string& attribute)
        : Error("'Document' object has no attribute '" + attribute + "'") {}
};

// A picture file cannot be read or is of a kind the package cannot hold.
class PictureError : public Error {
public:
    using Error::Error;
};

}  // namespace docx_loom
