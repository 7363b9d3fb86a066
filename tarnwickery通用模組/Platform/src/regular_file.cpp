#include "platform/regular_file.hpp"

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

#ifdef _WIN32
struct Handle {
    HANDLE handle;
    ~Handle() { CloseHandle(handle); }
};
#else
struct Descriptor {
    int fd;
    ~Descriptor() { ::close(fd); }
};
#endif

}  // namespace

FileReadError::FileReadError(const std::filesystem::path& file, std::string reason)
    : Error("cannot read " + from_path(file) + ": " + reason), reason_(std::move(reason)) {}

std::string read_regular_file(const std::filesystem::path& file, std::uint64_t max_bytes) {
    std::string bytes;
#ifdef _WIN32
    // Opening a folder fails without FILE_FLAG_BACKUP_SEMANTICS; pipes and devices are
    // told apart by their type.
    HANDLE raw = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (raw == INVALID_HANDLE_VALUE) refuse(file, system_message(static_cast<int>(GetLastError())));
    Handle handle{raw};
    if (GetFileType(raw) != FILE_TYPE_DISK) refuse(file, "it is not a regular file");
    LARGE_INTEGER size;
    if (!GetFileSizeEx(raw, &size)) refuse(file, system_message(static_cast<int>(GetLastError())));
    if (static_cast<std::uint64_t>(size.QuadPart) > max_bytes) refuse(file, too_large(max_bytes));
    bytes.resize(static_cast<std::size_t>(size.QuadPart));
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD got = 0;
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1 << 20));
        if (!ReadFile(raw, bytes.data() + done, want, &got, nullptr))
            refuse(file, system_message(static_cast<int>(GetLastError())));
        if (got == 0) break;
        done += got;
    }
    bytes.resize(done);
#else
    // O_NONBLOCK: opening a FIFO would otherwise wait for a writer, for ever.
    int fd;
    do fd = ::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    while (fd < 0 && errno == EINTR);
    if (fd < 0) refuse(file, system_message(errno));
    Descriptor descriptor{fd};
    struct stat status {};
    if (::fstat(fd, &status) != 0) refuse(file, system_message(errno));
    if (!S_ISREG(status.st_mode)) refuse(file, "it is not a regular file");
    if (static_cast<std::uint64_t>(status.st_size) > max_bytes) refuse(file, too_large(max_bytes));
    bytes.reserve(static_cast<std::size_t>(status.st_size));
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) refuse(file, system_message(errno));
        if (got == 0) break;
        bytes.append(buffer, static_cast<std::size_t>(got));
        // A file that grows while it is read.
        if (bytes.size() > max_bytes) refuse(file, too_large(max_bytes));
    }
#endif
    return bytes;
}

}  // namespace platform
