#pragma once

#include "platform/regular_file.hpp"

#include <filesystem>
#include <istream>
#include <memory>

namespace platform {

// A regular file read as a stream, of any size. Anything else is refused as
// read_regular_file refuses it, without waiting on a FIFO and before a byte is read.
// The constructor throws FileReadError; a read that fails later sets badbit.
class RegularFileStream : public std::istream {
public:
    explicit RegularFileStream(const std::filesystem::path& file);
    ~RegularFileStream() override;

private:
    class Buffer;
    std::unique_ptr<Buffer> buffer_;
};

}  // namespace platform
