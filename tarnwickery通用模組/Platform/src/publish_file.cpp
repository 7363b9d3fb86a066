#include "platform/publish_file.hpp"

#include "platform/error.hpp"
#include "platform/private_files.hpp"
#include "platform/root_folder.hpp"

#include <string>

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace platform {

namespace {

std::string both(const std::filesystem::path& scratch, const std::filesystem::path& final_path) {
    return from_path(scratch) + " to " + from_path(final_path);
}

#ifndef _WIN32

// 0, or the errno of the step that failed.
int flush(const std::filesystem::path& path, int flags) {
    int fd;
    do {
        fd = ::open(path.c_str(), flags | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return errno;
    // A file is published for this user alone, whatever mode its maker gave it.
    if ((flags & O_DIRECTORY) == 0) make_private(fd);
    const int code = ::fsync(fd) == 0 ? 0 : errno;
    ::close(fd);
    return code;
}

// rename() would silently replace an existing file; these never do.
int rename_without_replacing(const std::filesystem::path& from, const std::filesystem::path& to) {
#ifdef RENAME_NOREPLACE
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS) return errno;
#endif
    // File systems without renameat2: a hard link fails on an existing name.
    if (::link(from.c_str(), to.c_str()) != 0) return errno;
    if (::unlink(from.c_str()) != 0) {
        const int code = errno;
        ::unlink(to.c_str());
        return code;
    }
    return 0;
}

#endif

}  // namespace

void publish_file(const std::filesystem::path& scratch, const std::filesystem::path& final_path) {
#ifdef _WIN32
    HANDLE handle = CreateFileW(scratch.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        throw Error("cannot open " + from_path(scratch) + " to flush it: " +
                    system_message(static_cast<int>(GetLastError())));
    const BOOL flushed = FlushFileBuffers(handle);
    const DWORD flush_code = GetLastError();
    CloseHandle(handle);
    if (!flushed)
        throw Error("cannot flush " + from_path(scratch) + " to disk: " + system_message(static_cast<int>(flush_code)));
    // Without MOVEFILE_REPLACE_EXISTING the move fails on an existing name.
    if (!MoveFileExW(scratch.c_str(), final_path.c_str(), MOVEFILE_WRITE_THROUGH)) {
        const DWORD code = GetLastError();
        if (code == ERROR_ALREADY_EXISTS || code == ERROR_FILE_EXISTS)
            throw Error("cannot move " + both(scratch, final_path) + ": a file of that name already exists");
        throw Error("cannot move " + both(scratch, final_path) + ": " + system_message(static_cast<int>(code)));
    }
#else
    if (const int code = flush(scratch, O_RDONLY); code != 0)
        throw Error("cannot flush " + from_path(scratch) + " to disk: " + system_message(code));
    if (const int code = rename_without_replacing(scratch, final_path); code != 0) {
        if (code == EEXIST)
            throw Error("cannot move " + both(scratch, final_path) + ": a file of that name already exists");
        throw Error("cannot move " + both(scratch, final_path) + ": " + system_message(code));
    }
    // The file is in place now, so this step reports nothing: a folder that cannot be
    // flushed is left to the system's own write-back.
    const std::filesystem::path folder = final_path.has_parent_path() ? final_path.parent_path() : ".";
    flush(folder, O_RDONLY | O_DIRECTORY);
#endif
}

}  // namespace platform
