#pragma once

#include "platform/error.hpp"

#include <string>
#include <string_view>

namespace platform {

// The free face that stands in for a Windows font family on systems without it, the
// same one the converter's fontconfig file maps it to; empty where the family is
// expected to exist (Windows) or no stand-in is known.
std::string fallback_font_family(std::string_view windows_family);

// Shows `folder` (UTF-8) in the system's file browser: "explorer" with the folder in
// backslash form on Windows, the desktop's default file manager (xdg-open) elsewhere.
// Returns at once without waiting for the browser. Throws platform::Error when the
// browser cannot be started.
void show_folder(const std::string& folder);

// Hands `url` to the system's default web browser and returns at once. Throws
// platform::Error when the request cannot be handed over.
void open_web_page(const std::string& url);

// Opens `file` (UTF-8) in the program the desktop uses for its kind (a PDF viewer for
// a receipt) and returns at once. Throws platform::Error when the request cannot be
// handed over.
void open_file(const std::string& file);

}  // namespace platform
