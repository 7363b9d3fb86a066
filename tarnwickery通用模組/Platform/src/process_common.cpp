#include "platform/process.hpp"
#include "platform/root_folder.hpp"

#include <cstdlib>
#include <system_error>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace platform {

namespace {

#ifdef _WIN32
constexpr char path_separator = ';';
#else
constexpr char path_separator = ':';
#endif

bool is_executable(const std::filesystem::path& candidate) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(candidate, ec)) {
        return false;
    }
#ifdef _WIN32
    return true;
#else
    return access(candidate.c_str(), X_OK) == 0;
#endif
}

std::optional<std::filesystem::path> executable_variant(const std::filesystem::path& candidate) {
    if (is_executable(candidate)) {
        return candidate;
    }
#ifdef _WIN32
    if (!candidate.has_extension()) {
        std::filesystem::path with_exe = candidate;
        with_exe += ".exe";
        if (is_executable(with_exe)) {
            return with_exe;
        }
    }
#endif
    return std::nullopt;
}

}  // namespace

std::string describe(const ExitStatus& status) {
    if (status.signal != 0) {
        return "killed by signal " + std::to_string(status.signal);
    }
    return "exit code " + std::to_string(status.code);
}

std::optional<std::filesystem::path> find_program(std::string_view name) {
    if (name.empty()) {
        return std::nullopt;
    }
    std::filesystem::path program = to_path(name);
    if (name.find('/') != std::string_view::npos
#ifdef _WIN32
        || name.find('\\') != std::string_view::npos
#endif
    ) {
        return executable_variant(program);
    }
#ifdef _WIN32
    // The narrow environment is in the ANSI code page; read PATH as UTF-16 instead.
    const wchar_t* wide_path = _wgetenv(L"PATH");
    std::string path_text = wide_path != nullptr ? from_path(std::filesystem::path(wide_path)) : "";
    std::string_view search = path_text;
#else
    const char* env_path = std::getenv("PATH");
    std::string_view search = env_path != nullptr ? env_path : "/usr/local/bin:/usr/bin:/bin";
#endif
    while (true) {
        std::size_t end = search.find(path_separator);
        std::string_view folder = search.substr(0, end);
        // An empty PATH entry means the current folder.
        std::filesystem::path base = folder.empty() ? std::filesystem::path(".") : to_path(folder);
        if (auto found = executable_variant(base / program)) {
            return found;
        }
        if (end == std::string_view::npos) {
            return std::nullopt;
        }
        search.remove_prefix(end + 1);
    }
}

}  // namespace platform
