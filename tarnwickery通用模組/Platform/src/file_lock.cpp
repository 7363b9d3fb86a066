#include "platform/file_lock.hpp"

#include "platform/error.hpp"
#include "platform/private_files.hpp"
#include "platform/root_folder.hpp"

#include <utility>

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace platform {

std::optional<FileLock> FileLock::try_acquire(const std::filesystem::path& lock_file) {
    return lock(lock_file, false);
}

FileLock FileLock::acquire(const std::filesystem::path& lock_file) {
    return std::move(*lock(lock_file, true));
}

std::optional<FileLock> FileLock::lock(const std::filesystem::path& lock_file, bool wait) {
#ifdef _WIN32
    // A handle made without security attributes is not inherited by child processes.
    HANDLE handle = CreateFileW(lock_file.c_str(), GENERIC_READ | GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        DWORD code = GetLastError();
        throw Error("cannot open lock file " + from_path(lock_file) + ": " +
                    system_message(static_cast<int>(code)));
    }
    OVERLAPPED whole_file{};
    const DWORD flags = LOCKFILE_EXCLUSIVE_LOCK | (wait ? 0 : LOCKFILE_FAIL_IMMEDIATELY);
    if (!LockFileEx(handle, flags, 0, MAXDWORD, MAXDWORD, &whole_file)) {
        DWORD code = GetLastError();
        CloseHandle(handle);
        if (code == ERROR_LOCK_VIOLATION && !wait) {
            return std::nullopt;
        }
        throw Error("cannot lock " + from_path(lock_file) + ": " +
                    system_message(static_cast<int>(code)));
    }
    return FileLock(reinterpret_cast<std::intptr_t>(handle), lock_file);
#else
    // O_CLOEXEC matters: a child that inherited the descriptor would keep the lock
    // held after we let go of it, for as long as that child lives.
    int fd;
    do {
        fd = ::open(lock_file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        int code = errno;
        throw Error("cannot open lock file " + from_path(lock_file) + ": " + system_message(code));
    }
    // Whoever may open the lock file may hold the lock and stall every receipt.
    make_private(fd);
    int rc;
    do {
        rc = ::flock(fd, wait ? LOCK_EX : LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        int code = errno;
        ::close(fd);
        if (code == EWOULDBLOCK && !wait) {
            return std::nullopt;
        }
        throw Error("cannot lock " + from_path(lock_file) + ": " + system_message(code));
    }
    return FileLock(fd, lock_file);
#endif
}

FileLock::FileLock(std::intptr_t handle, std::filesystem::path path) noexcept
    : handle_(handle), path_(std::move(path)) {}

FileLock::FileLock(FileLock&& other) noexcept
    : handle_(std::exchange(other.handle_, -1)), path_(std::move(other.path_)) {}

FileLock& FileLock::operator=(FileLock&& other) noexcept {
    if (this != &other) {
        release();
        handle_ = std::exchange(other.handle_, -1);
        path_ = std::move(other.path_);
    }
    return *this;
}

FileLock::~FileLock() {
    release();
}

void FileLock::release() noexcept {
    if (handle_ == -1) {
        return;
    }
    // Closing the only handle drops the lock. The file stays: deleting it would let a
    // waiter lock the old file while a newcomer locks a new one of the same name.
#ifdef _WIN32
    CloseHandle(reinterpret_cast<HANDLE>(handle_));
#else
    ::close(static_cast<int>(handle_));
#endif
    handle_ = -1;
}

}  // namespace platform
