#pragma once

#include "common.hpp"

#include "platform/process.hpp"

#include <chrono>
#include <optional>
#include <string>

namespace pdf_press::detail {

// One pdf-press-converter process, from its start to its end, and the line protocol
// spoken with it (see converter/main.cpp). Every method that fails throws
// ConversionError, starting with job.failure, after stopping a converter that
// misbehaved; one that merely reports a bad document serves on. Not thread-safe.
class ConverterProcess {
public:
    using Clock = std::chrono::steady_clock;

    // Starts `program` on a free profile under `profiles`, to warm up on `sample`
    // (nothing when empty), and returns without waiting for it. Throws
    // platform::ProcessError when the program cannot be started.
    ConverterProcess(const std::string& program, const fs::path& profiles, const std::string& sample);
    ConverterProcess(const ConverterProcess&) = delete;
    ConverterProcess& operator=(const ConverterProcess&) = delete;
    ~ConverterProcess() { stop(); }

    int id() const noexcept { return id_; }
    // Conversions it has served, failed ones included.
    int conversions() const noexcept { return conversions_; }
    bool is_ready() const noexcept { return ready_; }
    // False once it has ended or been stopped.
    bool is_running();
    bool is_stopped() const noexcept { return !process_; }

    // Without waiting: true once it has said it is ready. A converter that cannot
    // become ready (it ended, said anything else, or has been starting for longer than
    // `time_limit`) is stopped, and false is returned from then on.
    bool check_ready(std::chrono::milliseconds time_limit);

    // Waits until it is ready. Returns false, having stopped it, when it reports that
    // LibreOfficeKit is unavailable; `unavailable_reason` then says why.
    bool await_ready(const Job& job, Clock::time_point deadline, std::chrono::milliseconds time_limit);

    // Sends the request for `job`; the converter queues it if it is still starting.
    // False when the converter no longer reads its input.
    bool send(const Job& job);
    // Waits for the converter to take the request sent; false when it ended first.
    bool await_taken(const Job& job, Clock::time_point deadline, std::chrono::milliseconds time_limit);
    // Waits for the outcome of the request taken.
    void await_result(const Job& job, Clock::time_point deadline, std::chrono::milliseconds time_limit);

    // Ends its input, on which it leaves by itself; nothing more is sent to it.
    void retire() noexcept;
    // Ends it, if it runs; its files stay.
    void stop() noexcept;
    // Stops it and throws ConversionError with `message`, what it ended with and what
    // the office said.
    [[noreturn]] void fail_as_ended(const std::string& message);

    std::string unavailable_reason;

private:
    // The next line; nullopt when it has ended. Throws, after stopping it, when no line
    // comes in time.
    std::optional<std::string> next_line(const Job& job, Clock::time_point deadline,
                                         std::chrono::milliseconds time_limit, const char* while_doing);
    // The next line, or a ConversionError, after stopping it, when it ended.
    std::string expect_line(const Job& job, Clock::time_point deadline, std::chrono::milliseconds time_limit,
                            const char* while_doing);
    [[noreturn]] void fail_and_stop(const std::string& message);

    std::optional<platform::Process> process_;
    int id_ = -1;
    Clock::time_point started_;
    bool ready_ = false;
    int conversions_ = 0;
};

}  // namespace pdf_press::detail
