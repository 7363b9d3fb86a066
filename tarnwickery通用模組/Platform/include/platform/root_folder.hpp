#pragma once

#include "platform/error.hpp"

#include <filesystem>
#include <string>
#include <string_view>

namespace platform {

// The program's own folder, always ending in "/": "C:/tarnwickery/" on Windows;
// elsewhere $TARNWICKERY_ROOT when set, else "tarnwickery/" in the user's home folder.
// Nothing is created on disk.
std::string root_folder();

// root_folder() + "temp/": scratch space that may be wiped between runs.
std::string working_folder();

// Path strings in this project are UTF-8 in std::string; these convert them to and
// from std::filesystem::path without going through the system's narrow code page,
// which on Windows is not UTF-8. from_path uses "/" as separator everywhere.
std::filesystem::path to_path(std::string_view utf8);
std::string from_path(const std::filesystem::path& path);

}  // namespace platform
