#include "platform/regular_file_stream.hpp"

#include "detail/open_regular_file.hpp"

#include <array>
#include <streambuf>

namespace platform {

class RegularFileStream::Buffer : public std::streambuf {
public:
    explicit Buffer(const std::filesystem::path& file) : file_(file) {}

protected:
    // A FileReadError thrown here reaches the stream, which sets badbit.
    int_type underflow() override {
        if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
        const std::size_t got = file_.read(chunk_.data(), chunk_.size());
        if (got == 0) return traits_type::eof();
        setg(chunk_.data(), chunk_.data(), chunk_.data() + got);
        return traits_type::to_int_type(*gptr());
    }

private:
    detail::OpenRegularFile file_;
    std::array<char, 64 * 1024> chunk_{};
};

RegularFileStream::RegularFileStream(const std::filesystem::path& file)
    : std::istream(nullptr), buffer_(std::make_unique<Buffer>(file)) {
    rdbuf(buffer_.get());
}

RegularFileStream::~RegularFileStream() = default;

}  // namespace platform
