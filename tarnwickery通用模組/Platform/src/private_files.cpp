#include "platform/private_files.hpp"

#include "platform/root_folder.hpp"

#include <cerrno>
#include <cstdio>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace platform {

bool create_private_folder(const std::filesystem::path& folder, std::error_code& error) {
    error.clear();
#ifdef _WIN32
    return std::filesystem::create_directory(folder, error);
#else
    if (::mkdir(folder.c_str(), 0700) != 0) {
        if (errno != EEXIST) error.assign(errno, std::generic_category());
        return false;
    }
    // The umask may have taken bits away that this user needs.
    ::chmod(folder.c_str(), 0700);
    return true;
#endif
}

void create_private_folders(const std::filesystem::path& folder, std::error_code& error) {
    error.clear();
    if (std::filesystem::is_directory(folder, error) || folder.empty()) return;
    const std::filesystem::path parent = folder.parent_path();
    if (parent != folder) create_private_folders(parent, error);
    if (!error) create_private_folder(folder, error);
}

void create_private_file(const std::filesystem::path& file) {
#ifdef _WIN32
    if (std::filesystem::exists(file)) return;
    std::FILE* made = _wfopen(file.c_str(), L"ab");
    if (made == nullptr) throw Error("cannot create " + from_path(file) + ": " + system_message(errno));
    std::fclose(made);
#else
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
        if (errno == EEXIST) return;
        throw Error("cannot create " + from_path(file) + ": " + system_message(errno));
    }
    make_private(fd);
    ::close(fd);
#endif
}

void make_private(int descriptor) noexcept {
#ifndef _WIN32
    struct stat status {};
    if (::fstat(descriptor, &status) == 0 && status.st_uid == ::geteuid() && (status.st_mode & 07777) != 0600)
        ::fchmod(descriptor, 0600);
#else
    (void)descriptor;
#endif
}

}  // namespace platform
