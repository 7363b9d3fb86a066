#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace receipt_register {

// The SHA-256 of a file's contents as 64 lower-case hex digits. Throws
// std::runtime_error naming the file when it cannot be read.
std::string sha256_of_file(const std::filesystem::path& file);

// The SHA-256 of `bytes`, as sha256_of_file gives it.
std::string sha256_of(std::string_view bytes);

}  // namespace receipt_register
