#pragma once

#include "platform/error.hpp"

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace platform {

// How a child ended.
struct ExitStatus {
    int code = 0;    // the exit code, when the child ended by itself (signal == 0)
    int signal = 0;  // the signal that ended it, or 0
    bool success() const noexcept { return signal == 0 && code == 0; }
};

// "exit code 3" or "killed by signal 9".
std::string describe(const ExitStatus& status);

struct ProcessOptions {
    // Set in the child's environment on top of (or in place of) the parent's.
    std::vector<std::pair<std::string, std::string>> environment;
    // Connect the child's stdin to write_stdin(); otherwise it reads nothing.
    bool pipe_stdin = false;
    // Connect the child's stdout to read_line(); otherwise stdout joins stderr in output().
    bool pipe_stdout = false;
    // Have the system kill the child when its parent goes away (Linux). The signal is
    // tied to the thread that started the child, so start long-lived children from a
    // thread that lives as long as they should. It reaches the child only, not its
    // own children: those go with kill_tree() or the destructor.
    bool die_with_parent = false;
};

// Where `name` resolves through PATH (or `name` itself when it holds a folder
// separator); nullopt when there is no such executable file.
std::optional<std::filesystem::path> find_program(std::string_view name);

// A running child process, started in a process group of its own so that the child
// and everything it starts can be killed together. The destructor kills that group
// and reaps the child if it is still running, so no zombie or orphan is left behind.
// Not thread-safe: one thread talks to one Process.
class Process {
public:
    // argv[0] is looked up with find_program. Throws ProcessError naming the program
    // when it cannot be found or started.
    explicit Process(const std::vector<std::string>& argv, const ProcessOptions& options = {});

    Process(Process&& other) noexcept;
    Process& operator=(Process&& other) noexcept;
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    ~Process();

    int id() const noexcept { return pid_; }

    // Waits up to `timeout` for the child to end; nullopt if it is still running then.
    // Once the child has ended, returns its status at once on every call.
    std::optional<ExitStatus> wait_for(std::chrono::milliseconds timeout);

    // SIGKILL to every process still in the child's group, then reaps the child if it
    // has not been reaped yet. Called right after the child ended, it also removes
    // anything the child left running.
    void kill_tree() noexcept;

    // Everything the child wrote to stderr, and to stdout unless pipe_stdout was set.
    // It goes to an unlinked temporary file, so a chatty child never blocks on it.
    std::string output() const;

    // Needs pipe_stdin. Writes all of `data`, waiting while the child is slow to read;
    // throws ProcessError when the child no longer reads its input.
    void write_stdin(std::string_view data);
    // Sends end-of-file to the child's stdin.
    void close_stdin() noexcept;

    // Needs pipe_stdout. The next line from the child's stdout, without its "\n";
    // nullopt when no full line arrived within `timeout`; throws ProcessError when
    // the child closed its stdout.
    std::optional<std::string> read_line(std::chrono::milliseconds timeout);

private:
    void close_handles() noexcept;

    std::string program_;  // argv[0], for messages
    int pid_ = -1;
    std::optional<ExitStatus> status_;
    int stdin_fd_ = -1;
    int stdout_fd_ = -1;
    int output_fd_ = -1;
    std::string stdout_buffer_;
};

}  // namespace platform
