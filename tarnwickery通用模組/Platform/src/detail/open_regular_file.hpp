#pragma once

// The one place that opens a file for reading and makes sure it is a regular file,
// for read_regular_file and RegularFileStream alike.

#include <cstddef>
#include <cstdint>
#include <filesystem>

namespace platform::detail {

// A regular file open for reading; closed when dropped. Anything else is refused before
// a byte is read: a folder, a device, a FIFO (opened without waiting for a writer).
class OpenRegularFile {
public:
    // Throws FileReadError.
    explicit OpenRegularFile(const std::filesystem::path& file);
    ~OpenRegularFile();
    OpenRegularFile(const OpenRegularFile&) = delete;
    OpenRegularFile& operator=(const OpenRegularFile&) = delete;

    // Its size when it was opened.
    std::uint64_t size() const { return size_; }
    // Up to `count` bytes into `into`; 0 at the end. Throws FileReadError.
    std::size_t read(char* into, std::size_t count);

private:
    std::filesystem::path file_;
#ifdef _WIN32
    void* handle_;
#else
    int fd_;
#endif
    std::uint64_t size_ = 0;
};

}  // namespace platform::detail
