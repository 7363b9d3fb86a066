#include "platform/desktop.hpp"

#include "platform/root_folder.hpp"

#include <vector>

#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>
#else
#include <cerrno>
#include <csignal>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace platform {

namespace {

#ifdef _WIN32
// Asks the shell to open `target` as a double click would; `shown` names it in errors.
void shell_open(const std::wstring& target, const std::string& shown, const std::string& where) {
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(nullptr, L"open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    if (result <= 32) throw Error("cannot open " + shown + where + " (code " + std::to_string(result) + ")");
}
#else
// Starts `argv` as a grandchild in a session of its own, so that it outlives this
// program, leaves no zombie and is not killed with the program's process group.
void start_detached(const std::vector<std::string>& argv) {
    std::vector<char*> arguments;
    for (const auto& argument : argv) arguments.push_back(const_cast<char*>(argument.c_str()));
    arguments.push_back(nullptr);

    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0) throw Error("cannot start " + argv[0] + ": " + system_message(errno));
    const pid_t child = ::fork();
    if (child < 0) {
        const int code = errno;
        ::close(report[0]);
        ::close(report[1]);
        throw Error("cannot start " + argv[0] + ": " + system_message(code));
    }
    if (child == 0) {
        // Only async-signal-safe calls until execvp: the parent may run other threads.
        ::setsid();
        const pid_t grandchild = ::fork();
        if (grandchild == 0) {
#ifdef __linux__
            // A long-lived browser must not hold the program's pipes open.
            ::close_range(3, ~0U, CLOSE_RANGE_CLOEXEC);
#endif
            ::signal(SIGPIPE, SIG_DFL);
            ::execvp(arguments[0], arguments.data());
        }
        if (grandchild <= 0) {
            const int code = errno;
            [[maybe_unused]] const auto written = ::write(report[1], &code, sizeof code);
        }
        ::_exit(0);
    }
    ::close(report[1]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    int code = 0;
    ssize_t got = 0;
    while ((got = ::read(report[0], &code, sizeof code)) < 0 && errno == EINTR) {
    }
    ::close(report[0]);
    // The report pipe closes unread on a successful execvp.
    if (got == static_cast<ssize_t>(sizeof code)) throw Error("cannot start " + argv[0] + ": " + system_message(code));
}
#endif

}  // namespace

std::string fallback_font_family(std::string_view windows_family) {
#ifdef _WIN32
    (void)windows_family;
    return {};
#else
    // Kept in step with the converter's fonts.conf, so the window and the receipts agree.
    if (windows_family == "Microsoft JhengHei" || windows_family == "微軟正黑體" ||
        windows_family == "Microsoft JhengHei UI")
        return "Noto Sans CJK TC";
    if (windows_family == "標楷體" || windows_family == "DFKai-SB") return "AR PL UKai TW";
    if (windows_family == "Calibri") return "Carlito";
    return {};
#endif
}

void show_folder(const std::string& folder) {
#ifdef _WIN32
    std::wstring command = L"explorer " + to_path(folder).make_preferred().native();
    while (!command.empty() && command.back() == L'\\') command.pop_back();
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        throw Error("cannot start explorer for " + folder + ": " + system_message(static_cast<int>(GetLastError())));
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
#else
    start_detached({"xdg-open", folder});
#endif
}

void open_web_page(const std::string& url) {
#ifdef _WIN32
    shell_open(to_path(url).native(), url, " in the web browser");
#else
    start_detached({"xdg-open", url});
#endif
}

void open_file(const std::string& file) {
#ifdef _WIN32
    shell_open(to_path(file).make_preferred().native(), file, "");
#else
    start_detached({"xdg-open", file});
#endif
}

}  // namespace platform
