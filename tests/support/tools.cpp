#include "tools.hpp"

#include <platform/root_folder.hpp>

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <thread>

#ifndef _WIN32
#include <sys/wait.h>
#endif

namespace tools {

bool require(const std::string& program, const std::string& debian_package) {
    if (run("command -v " + quote(program) + " >/dev/null 2>&1").status == 0) return true;
    ADD_FAILURE() << "this test needs '" << program << "': install it with apt-get install " << debian_package
                  << " (scripts/install-deps installs every package the project needs)";
    return false;
}

CommandResult run(const std::string& command_line) {
    CommandResult result;
    FILE* pipe = popen((command_line + " 2>&1").c_str(), "r");
    if (!pipe) return result;
    std::array<char, 4096> buffer;
    for (std::size_t n; (n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0;) result.output.append(buffer.data(), n);
    const int status = pclose(pipe);
#ifdef _WIN32
    result.status = status;
#else
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
    return result;
}

std::string quote(const std::string& argument) {
    std::string quoted = "'";
    for (char c : argument) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

std::string program_dir() { return TARNWICKERY_PROGRAM_DIR; }

std::string pdf_text_without_spaces(const std::string& pdf) {
    std::string text;
    for (const char c : run("pdftotext -layout " + quote(pdf) + " -").output)
        if (!std::isspace(static_cast<unsigned char>(c))) text += c;
    return text;
}

PageSize pdf_page_size(const std::string& pdf) {
    std::istringstream lines(run("pdfinfo " + quote(pdf)).output);
    PageSize size;
    std::string unit;
    for (std::string line; std::getline(lines, line);)
        if (line.starts_with("Page size:")) std::istringstream(line.substr(10)) >> size.width >> unit >> size.height;
    return size;
}

std::string fresh_folder(const std::string& name) {
    const std::string folder = platform::root_folder() + name + "/";
    std::filesystem::remove_all(platform::to_path(folder));
    std::filesystem::create_directories(platform::to_path(folder));
    return folder;
}

bool wait_until(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

}  // namespace tools
