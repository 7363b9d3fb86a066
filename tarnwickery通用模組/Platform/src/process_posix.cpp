#include "platform/error.hpp"
#include "platform/process.hpp"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <thread>
#include <utility>

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#ifdef __linux__
#include <sys/prctl.h>
#endif

extern char** environ;

namespace platform {

namespace {

// Owns a descriptor while the child is being set up; Process itself keeps plain ints.
class Fd {
public:
    Fd() = default;
    explicit Fd(int fd) noexcept : fd_(fd) {}
    Fd(Fd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    Fd& operator=(Fd&& other) noexcept {
        reset(std::exchange(other.fd_, -1));
        return *this;
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd() { reset(); }

    int get() const noexcept { return fd_; }
    int release() noexcept { return std::exchange(fd_, -1); }
    void reset(int fd = -1) noexcept {
        if (fd_ >= 0) {
            ::close(fd_);
        }
        fd_ = fd;
    }

private:
    int fd_ = -1;
};

[[noreturn]] void fail_to_start(const std::string& program, const char* what, int code) {
    throw ProcessError("cannot start " + program + ": " + what + ": " + system_message(code));
}

// Moves a new descriptor off 0, 1 and 2. When the parent runs with one of those
// closed, a new descriptor can land there and the child's dup2 calls would clobber it.
Fd above_stdio(int fd, const std::string& program, const char* what) {
    if (fd < 0) {
        fail_to_start(program, what, errno);
    }
    if (fd > 2) {
        return Fd(fd);
    }
    int moved = ::fcntl(fd, F_DUPFD_CLOEXEC, 3);
    int code = errno;
    ::close(fd);
    if (moved < 0) {
        fail_to_start(program, what, code);
    }
    return Fd(moved);
}

// Captured output goes to a file that has no name from the start, so nothing is left
// on disk whatever happens to this process.
Fd capture_file(const std::string& program) {
    std::string name = (std::filesystem::temp_directory_path() / "tarnwickery-output-XXXXXX").string();
    int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd >= 0) {
        ::unlink(name.c_str());
    }
    return above_stdio(fd, program, "cannot create a file for its output");
}

ExitStatus decode(int wait_status) {
    ExitStatus status;
    if (WIFSIGNALED(wait_status)) {
        status.signal = WTERMSIG(wait_status);
    } else if (WIFEXITED(wait_status)) {
        status.code = WEXITSTATUS(wait_status);
    }
    return status;
}

std::vector<std::string> child_environment(const ProcessOptions& options) {
    std::vector<std::string> result;
    for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
        std::string_view text(*entry);
        std::string_view name = text.substr(0, text.find('='));
        bool replaced = std::any_of(options.environment.begin(), options.environment.end(),
                                    [&](const auto& extra) { return extra.first == name; });
        if (!replaced) {
            result.emplace_back(text);
        }
    }
    for (const auto& [name, value] : options.environment) {
        result.push_back(name + "=" + value);
    }
    return result;
}

std::vector<char*> c_strings(std::vector<std::string>& strings) {
    std::vector<char*> pointers;
    pointers.reserve(strings.size() + 1);
    for (std::string& s : strings) {
        pointers.push_back(s.data());
    }
    pointers.push_back(nullptr);
    return pointers;
}

struct ChildSetup {
    const char* program;
    char* const* argv;
    char* const* envp;
    int stdin_fd;
    int stdout_fd;
    int stderr_fd;
    int error_fd;  // reports a failure before execve to the parent, closed by execve
    long max_fd;
    pid_t parent;
    bool die_with_parent;
};

[[noreturn]] void report_and_exit(int error_fd, int code) noexcept {
    ssize_t ignored = ::write(error_fd, &code, sizeof code);
    (void)ignored;
    ::_exit(127);
}

void close_from(int first, int last, long max_fd) noexcept {
    if (first > last) {
        return;
    }
#ifdef __linux__
    if (::close_range(static_cast<unsigned>(first), static_cast<unsigned>(last), 0) == 0) {
        return;
    }
#endif
    for (long fd = first; fd <= std::min<long>(last, max_fd); ++fd) {
        ::close(static_cast<int>(fd));
    }
}

// Runs in the forked child. Only async-signal-safe calls from here to execve: other
// threads of the parent may have held locks (malloc's among them) at the fork.
[[noreturn]] void run_child(const ChildSetup& setup) noexcept {
#ifdef __linux__
    if (setup.die_with_parent) {
        if (::prctl(PR_SET_PDEATHSIG, SIGKILL) != 0) {
            report_and_exit(setup.error_fd, errno);
        }
        // The parent may have gone before the request was in place.
        if (::getppid() != setup.parent) {
            ::_exit(127);
        }
    }
#endif
    if (::setpgid(0, 0) != 0) {
        report_and_exit(setup.error_fd, errno);
    }
    // A blocked mask and ignored SIGPIPE survive execve; the new program expects neither.
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    struct sigaction default_action {};
    default_action.sa_handler = SIG_DFL;
    ::sigaction(SIGPIPE, &default_action, nullptr);

    if (::dup2(setup.stdin_fd, 0) < 0 || ::dup2(setup.stdout_fd, 1) < 0 ||
        ::dup2(setup.stderr_fd, 2) < 0) {
        report_and_exit(setup.error_fd, errno);
    }
    // Descriptors opened elsewhere without close-on-exec (lock files among them) must
    // not live on in the child.
    close_from(3, setup.error_fd - 1, setup.max_fd);
    close_from(setup.error_fd + 1, static_cast<int>(~0U >> 1), setup.max_fd);

    ::execve(setup.program, setup.argv, setup.envp);
    report_and_exit(setup.error_fd, errno);
}

}  // namespace

Process::Process(const std::vector<std::string>& argv, const ProcessOptions& options) {
    if (argv.empty() || argv.front().empty()) {
        throw ProcessError("cannot start a process without a program name");
    }
    program_ = argv.front();
    std::optional<std::filesystem::path> executable = find_program(program_);
    if (!executable) {
        throw ProcessError("cannot start " + program_ +
                           (program_.find('/') != std::string::npos ? ": no such executable file"
                                                                    : ": no such program on PATH"));
    }

    // Everything the child needs is built before fork, where allocating is still safe.
    std::string executable_text = executable->string();
    std::vector<std::string> argv_strings = argv;
    std::vector<char*> argv_pointers = c_strings(argv_strings);
    std::vector<std::string> env_strings = child_environment(options);
    std::vector<char*> env_pointers = c_strings(env_strings);

    Fd output = capture_file(program_);
    Fd child_stdin;
    Fd parent_stdin;
    if (options.pipe_stdin) {
        // A socket rather than a pipe: send() with MSG_NOSIGNAL reports a child that
        // stopped reading as EPIPE instead of killing this process with SIGPIPE.
        int pair[2];
        if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0) {
            fail_to_start(program_, "cannot create its input channel", errno);
        }
        Fd first(pair[0]);
        Fd second(pair[1]);
        child_stdin = above_stdio(first.release(), program_, "cannot create its input channel");
        parent_stdin = above_stdio(second.release(), program_, "cannot create its input channel");
    } else {
        child_stdin = above_stdio(::open("/dev/null", O_RDONLY | O_CLOEXEC), program_,
                                  "cannot open /dev/null");
    }
    Fd child_stdout;
    Fd parent_stdout;
    if (options.pipe_stdout) {
        int pipe_fds[2];
        if (::pipe2(pipe_fds, O_CLOEXEC) != 0) {
            fail_to_start(program_, "cannot create its output pipe", errno);
        }
        Fd read_end(pipe_fds[0]);
        Fd write_end(pipe_fds[1]);
        parent_stdout = above_stdio(read_end.release(), program_, "cannot create its output pipe");
        child_stdout = above_stdio(write_end.release(), program_, "cannot create its output pipe");
    }
    int error_pipe[2];
    if (::pipe2(error_pipe, O_CLOEXEC) != 0) {
        fail_to_start(program_, "cannot create a pipe", errno);
    }
    Fd error_read(error_pipe[0]);
    Fd error_write = above_stdio(error_pipe[1], program_, "cannot create a pipe");

    long max_fd = ::sysconf(_SC_OPEN_MAX);
    ChildSetup setup{executable_text.c_str(),
                     argv_pointers.data(),
                     env_pointers.data(),
                     child_stdin.get(),
                     options.pipe_stdout ? child_stdout.get() : output.get(),
                     output.get(),
                     error_write.get(),
                     max_fd > 0 ? std::min(max_fd, 65536L) : 1024L,
                     ::getpid(),
                     options.die_with_parent};

    pid_t pid = ::fork();
    if (pid < 0) {
        fail_to_start(program_, "fork failed", errno);
    }
    if (pid == 0) {
        run_child(setup);
    }
    pid_ = pid;
    error_write.reset();
    child_stdin.reset();
    child_stdout.reset();

    // The error pipe closes on a successful execve, so end-of-file means the child
    // runs the program, already in its own process group.
    int child_errno = 0;
    ssize_t got;
    do {
        got = ::read(error_read.get(), &child_errno, sizeof child_errno);
    } while (got < 0 && errno == EINTR);
    if (got > 0) {
        int wait_status;
        while (::waitpid(pid_, &wait_status, 0) < 0 && errno == EINTR) {
        }
        pid_ = -1;
        throw ProcessError("cannot start " + program_ + " (" + executable_text +
                           "): " + system_message(child_errno));
    }

    output_fd_ = output.release();
    stdin_fd_ = parent_stdin.release();
    stdout_fd_ = parent_stdout.release();
}

Process::Process(Process&& other) noexcept
    : program_(std::move(other.program_)),
      pid_(std::exchange(other.pid_, -1)),
      status_(std::exchange(other.status_, std::nullopt)),
      stdin_fd_(std::exchange(other.stdin_fd_, -1)),
      stdout_fd_(std::exchange(other.stdout_fd_, -1)),
      output_fd_(std::exchange(other.output_fd_, -1)),
      stdout_buffer_(std::move(other.stdout_buffer_)) {}

Process& Process::operator=(Process&& other) noexcept {
    if (this != &other) {
        if (pid_ > 0 && !status_) {
            kill_tree();
        }
        close_handles();
        program_ = std::move(other.program_);
        pid_ = std::exchange(other.pid_, -1);
        status_ = std::exchange(other.status_, std::nullopt);
        stdin_fd_ = std::exchange(other.stdin_fd_, -1);
        stdout_fd_ = std::exchange(other.stdout_fd_, -1);
        output_fd_ = std::exchange(other.output_fd_, -1);
        stdout_buffer_ = std::move(other.stdout_buffer_);
    }
    return *this;
}

Process::~Process() {
    if (pid_ > 0 && !status_) {
        kill_tree();
    }
    close_handles();
}

void Process::close_handles() noexcept {
    for (int* fd : {&stdin_fd_, &stdout_fd_, &output_fd_}) {
        if (*fd >= 0) {
            ::close(*fd);
            *fd = -1;
        }
    }
}

std::optional<ExitStatus> Process::wait_for(std::chrono::milliseconds timeout) {
    if (status_ || pid_ <= 0) {
        return status_;
    }
    // Polling keeps this free of SIGCHLD handlers, which would be global state; a 10 ms
    // step is far below anything we wait for.
    auto deadline = std::chrono::steady_clock::now() + timeout;
    while (true) {
        int wait_status;
        pid_t reaped = ::waitpid(pid_, &wait_status, WNOHANG);
        if (reaped == pid_) {
            status_ = decode(wait_status);
            return status_;
        }
        if (reaped < 0 && errno != EINTR) {
            throw ProcessError("cannot wait for " + program_ + ": " + system_message(errno));
        }
        auto now = std::chrono::steady_clock::now();
        if (now >= deadline) {
            return std::nullopt;
        }
        std::this_thread::sleep_for(
            std::min<std::chrono::steady_clock::duration>(deadline - now, std::chrono::milliseconds(10)));
    }
}

void Process::kill_tree() noexcept {
    if (pid_ <= 0) {
        return;
    }
    // The child leads its group, so the group id is its pid. A group id is not reused
    // while any member lives, so soon after the child ended this reaches only its
    // leftovers.
    if (::kill(-pid_, SIGKILL) != 0 && !status_) {
        // Whatever happened to the group, the waitpid below must not wait for a child
        // that was never told to die.
        ::kill(pid_, SIGKILL);
    }
    if (!status_) {
        int wait_status;
        pid_t reaped;
        do {
            reaped = ::waitpid(pid_, &wait_status, 0);
        } while (reaped < 0 && errno == EINTR);
        status_ = reaped == pid_ ? decode(wait_status) : ExitStatus{0, SIGKILL};
    }
}

std::string Process::output() const {
    std::string text;
    if (output_fd_ < 0) {
        return text;
    }
    char buffer[16384];
    off_t offset = 0;
    while (true) {
        ssize_t got = ::pread(output_fd_, buffer, sizeof buffer, offset);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw ProcessError("cannot read the output of " + program_ + ": " + system_message(errno));
        }
        if (got == 0) {
            return text;
        }
        text.append(buffer, static_cast<std::size_t>(got));
        offset += got;
    }
}

void Process::write_stdin(std::string_view data) {
    if (stdin_fd_ < 0) {
        throw ProcessError("cannot write to " + program_ + ": its input is not open");
    }
    while (!data.empty()) {
        ssize_t sent = ::send(stdin_fd_, data.data(), data.size(), MSG_NOSIGNAL);
        if (sent < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw ProcessError("cannot write to " + program_ + ": " + system_message(errno));
        }
        data.remove_prefix(static_cast<std::size_t>(sent));
    }
}

void Process::close_stdin() noexcept {
    if (stdin_fd_ >= 0) {
        ::close(stdin_fd_);
        stdin_fd_ = -1;
    }
}

std::optional<std::string> Process::read_line(std::chrono::milliseconds timeout) {
    if (stdout_fd_ < 0) {
        throw ProcessError("cannot read from " + program_ + ": its output is not piped");
    }
    auto deadline = std::chrono::steady_clock::now() + timeout;
    while (true) {
        if (std::size_t end = stdout_buffer_.find('\n'); end != std::string::npos) {
            std::string line = stdout_buffer_.substr(0, end);
            stdout_buffer_.erase(0, end + 1);
            return line;
        }
        auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd ready{stdout_fd_, POLLIN, 0};
        int polled = ::poll(&ready, 1, static_cast<int>(std::max<std::int64_t>(left.count(), 0)));
        if (polled < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw ProcessError("cannot read from " + program_ + ": " + system_message(errno));
        }
        if (polled == 0) {
            return std::nullopt;
        }
        char buffer[4096];
        ssize_t got = ::read(stdout_fd_, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR || errno == EAGAIN) {
                continue;
            }
            throw ProcessError("cannot read from " + program_ + ": " + system_message(errno));
        }
        if (got == 0) {
            throw ProcessError(program_ + " closed its output before ending a line");
        }
        stdout_buffer_.append(buffer, static_cast<std::size_t>(got));
    }
}

}  // namespace platform
