#pragma once

#include "platform/error.hpp"

#include <cstdint>
#include <filesystem>
#include <string>

namespace platform {

// A file that read_regular_file refused or could not read. what() names the file;
// reason() is the reason alone.
class FileReadError : public Error {
public:
    FileReadError(const std::filesystem::path& file, std::string reason);
    const std::string& reason() const noexcept { return reason_; }

private:
    std::string reason_;
};

// The whole of a regular file of at most `max_bytes` bytes. Anything else is refused
// before a byte is read: a folder, a FIFO (opened without waiting for a writer), a
// device such as /dev/zero, a larger file. Throws FileReadError.
std::string read_regular_file(const std::filesystem::path& file, std::uint64_t max_bytes);

}  // namespace platform
