#pragma once

#include "platform/error.hpp"

#include <cstdint>
#include <filesystem>
#include <optional>

namespace platform {

// An exclusive advisory lock on a lock file, held for the object's lifetime. The
// operating system drops it when the process dies, so a crash never leaves a stale
// lock behind. The lock belongs to this object's own handle of the file: a second
// try_acquire on the same file fails even within the same process. The handle is
// never inherited by child processes.
class FileLock {
public:
    // Creates the lock file if it does not exist (its folder must exist), and makes it
    // this user's only when this user owns it (see make_private). Returns
    // nullopt at once, without waiting, when someone else holds the lock; throws
    // platform::Error when the file cannot be opened or locked for another reason.
    static std::optional<FileLock> try_acquire(const std::filesystem::path& lock_file);
    // The same, but waits for as long as someone else holds the lock.
    static FileLock acquire(const std::filesystem::path& lock_file);

    FileLock(FileLock&& other) noexcept;
    FileLock& operator=(FileLock&& other) noexcept;
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    ~FileLock();

    const std::filesystem::path& path() const noexcept { return path_; }

private:
    FileLock(std::intptr_t handle, std::filesystem::path path) noexcept;
    static std::optional<FileLock> lock(const std::filesystem::path& lock_file, bool wait);
    void release() noexcept;

    // A file descriptor on POSIX, a HANDLE on Windows; -1 when empty on both.
    std::intptr_t handle_ = -1;
    std::filesystem::path path_;
};

}  // namespace platform
