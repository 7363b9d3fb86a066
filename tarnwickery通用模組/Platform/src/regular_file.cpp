#include "platform/regular_file.hpp"

#include "detail/open_regular_file.hpp"
#include "platform/root_folder.hpp"

#include <algorithm>
#include <utility>

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace platform {
namespace {

[[noreturn]] void refuse(const std::filesystem::path& file, const std::string& why) {
    throw FileReadError(file, why);
}

std::string too_large(std::uint64_t max_bytes) {
    return "it is larger than " + std::to_string(max_bytes) + " bytes";
}

}  // namespace

namespace detail {

#ifdef _WIN32
OpenRegularFile::OpenRegularFile(const std::filesystem::path& file) : file_(file) {
    // Opening a folder fails without FILE_FLAG_BACKUP_SEMANTICS; pipes and devices are
    // told apart by their type.
    handle_ = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle_ == INVALID_HANDLE_VALUE) refuse(file, system_message(static_cast<int>(GetLastError())));
    LARGE_INTEGER size;
    if (GetFileType(handle_) != FILE_TYPE_DISK) {
        CloseHandle(handle_);
        refuse(file, "it is not a regular file");
    }
    if (!GetFileSizeEx(handle_, &size)) {
        const int code = static_cast<int>(GetLastError());
        CloseHandle(handle_);
        refuse(file, system_message(code));
    }
    size_ = static_cast<std::uint64_t>(size.QuadPart);
}

OpenRegularFile::~OpenRegularFile() { CloseHandle(handle_); }

std::size_t OpenRegularFile::read(char* into, std::size_t count) {
    DWORD got = 0;
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(count, 1 << 20));
    if (!ReadFile(handle_, into, want, &got, nullptr)) refuse(file_, system_message(static_cast<int>(GetLastError())));
    return got;
}
#else
OpenRegularFile::OpenRegularFile(const std::filesystem::path& file) : file_(file) {
    // O_NONBLOCK: opening a FIFO would otherwise wait for a writer, for ever.
    do fd_ = ::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    while (fd_ < 0 && errno == EINTR);
    if (fd_ < 0) refuse(file, system_message(errno));
    struct stat status {};
    const bool known = ::fstat(fd_, &status) == 0;
    const int code = errno;
    if (!known || !S_ISREG(status.st_mode)) {
        ::close(fd_);
        refuse(file, known ? "it is not a regular file" : system_message(code));
    }
    size_ = static_cast<std::uint64_t>(status.st_size);
}

OpenRegularFile::~OpenRegularFile() { ::close(fd_); }

std::size_t OpenRegularFile::read(char* into, std::size_t count) {
    for (;;) {
        const ssize_t got = ::read(fd_, into, count);
        if (got >= 0) return static_cast<std::size_t>(got);
        if (errno != EINTR) refuse(file_, system_message(errno));
    }
}
#endif

}  // namespace detail

FileReadError::FileReadError(const std::filesystem::path& file, std::string reason)
    : Error("cannot read " + from_path(file) + ": " + reason), reason_(std::move(reason)) {}

std::string read_regular_file(const std::filesystem::path& file, std::uint64_t max_bytes) {
    detail::OpenRegularFile open(file);
    if (open.size() > max_bytes) refuse(file, too_large(max_bytes));
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(open.size()));
    char buffer[64 * 1024];
    while (const std::size_t got = open.read(buffer, sizeof buffer)) {
        bytes.append(buffer, got);
        // A file that grows while it is read.
        if (bytes.size() > max_bytes) refuse(file, too_large(max_bytes));
    }
    return bytes;
}

}  // namespace platform
