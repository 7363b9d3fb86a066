#pragma once

#include "pdf_press/pdf_press.hpp"

#include "platform/temp_folder.hpp"

#include <chrono>
#include <filesystem>
#include <string>

namespace pdf_press::detail {

namespace fs = std::filesystem;

// Lock files and profiles profile-0 … profile-31 in the profiles folder, shared by the
// converter and the command line; more simultaneous offices than this means something
// is stuck.
inline constexpr int profile_slots = 32;

// One call's files: a private copy of the input and the result's place, both in a
// scratch folder beside the output, so LibreOffice's lock files and half-written
// results never show in the user's folder and the last rename stays on one file system.
struct Job {
    Job(const fs::path& input, const fs::path& output_folder, std::string failure);

    std::string failure;  // "cannot convert <input> to PDF: ", the start of every message
    platform::TempFolder scratch;
    fs::path source;
    fs::path result;
};

// The folder holding pdf-press-converter and fonts/fonts.conf: $TARNWICKERY_PDF_PRESS_DIR
// when set (tests run from elsewhere), else the folder of the module Pdf_Press is
// linked into. Ends in "/".
std::string companion_folder();

// The working folder's "libreoffice" folder, created if needed, with the temporary files
// that offices no longer running left in its profiles removed; throws ConversionError.
fs::path profiles_folder(const std::string& failure);

// LibreOffice takes files as URLs; non-ASCII names and spaces must be percent-encoded.
std::string file_url(const fs::path& file);

// A crash in the middle of writing leaves a file that starts right but has no end.
bool is_complete_pdf(const fs::path& file);

// "; LibreOffice said:\n" and the end of `text`, or a note that it said nothing.
std::string what_office_said(std::string text);

// "120 s" or "300 ms".
std::string duration_text(std::chrono::milliseconds duration);

}  // namespace pdf_press::detail
