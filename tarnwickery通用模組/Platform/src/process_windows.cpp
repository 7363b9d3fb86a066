#include "platform/error.hpp"
#include "platform/process.hpp"

#include <utility>

// The Windows build compiles and links; child processes (a job object per child, so
// the tree dies together) are still to be written there.

namespace platform {

namespace {

[[noreturn]] void unsupported(const std::string& program) {
    throw ProcessError("cannot start " + program + ": child processes are not supported on Windows yet");
}

}  // namespace

Process::Process(const std::vector<std::string>& argv, const ProcessOptions&) {
    unsupported(argv.empty() ? std::string("a process") : argv.front());
}

Process::Process(Process&& other) noexcept
    : program_(std::move(other.program_)), pid_(std::exchange(other.pid_, -1)) {}

Process& Process::operator=(Process&& other) noexcept {
    program_ = std::move(other.program_);
    pid_ = std::exchange(other.pid_, -1);
    return *this;
}

Process::~Process() = default;

void Process::close_handles() noexcept {}

std::optional<ExitStatus> Process::wait_for(std::chrono::milliseconds) {
    return status_;
}

void Process::kill_tree() noexcept {}

std::string Process::output() const {
    return {};
}

void Process::write_stdin(std::string_view) {
    unsupported(program_);
}

void Process::close_stdin() noexcept {}

std::optional<std::string> Process::read_line(std::chrono::milliseconds) {
    unsupported(program_);
}

}  // namespace platform
