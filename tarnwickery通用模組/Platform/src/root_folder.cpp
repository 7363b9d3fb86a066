#include "platform/root_folder.hpp"

#include "platform/error.hpp"

#include <cstdlib>

#ifndef _WIN32
#include <pwd.h>
#include <unistd.h>

#include <vector>
#endif

namespace platform {

namespace {

#ifndef _WIN32
std::string non_empty_env(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::string(value) : std::string();
}

std::string home_folder() {
    if (std::string home = non_empty_env("HOME"); !home.empty()) {
        return home;
    }
    // Services and some sandboxes run without $HOME; the account database still knows.
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    int rc = getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found);
    if (rc != 0 || found == nullptr || found->pw_dir == nullptr || found->pw_dir[0] == '\0') {
        throw Error("cannot find the home folder: $HOME is not set and user " +
                    std::to_string(getuid()) + " has no home folder in the account database");
    }
    return found->pw_dir;
}
#endif

std::string with_trailing_slash(std::string folder) {
    if (folder.back() != '/') {
        folder += '/';
    }
    return folder;
}

}  // namespace

std::string root_folder() {
#ifdef _WIN32
    return "C:/tarnwickery/";
#else
    if (std::string root = non_empty_env("TARNWICKERY_ROOT"); !root.empty()) {
        return with_trailing_slash(std::move(root));
    }
    return with_trailing_slash(home_folder()) + "tarnwickery/";
#endif
}

std::string working_folder() {
    return root_folder() + "temp/";
}

std::filesystem::path to_path(std::string_view utf8) {
    // Going through char8_t makes the path decode UTF-8 on every system.
    std::u8string text(utf8.size(), u8'\0');
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        text[i] = static_cast<char8_t>(utf8[i]);
    }
    return std::filesystem::path(text);
}

std::string from_path(const std::filesystem::path& path) {
    std::u8string text = path.generic_u8string();
    std::string utf8(text.size(), '\0');
    for (std::size_t i = 0; i < text.size(); ++i) {
        utf8[i] = static_cast<char>(text[i]);
    }
    return utf8;
}

}  // namespace platform
