#include "converter_process.hpp"

#include "platform/error.hpp"
#include "platform/root_folder.hpp"

#include <cstdlib>
#include <string_view>
#include <vector>

#ifdef _WIN32
#include <process.h>
#define getpid _getpid
#else
#include <unistd.h>
#endif

namespace pdf_press::detail {

namespace {

// A reply quoted in a message, cut short if the converter talks nonsense at length.
std::string quote_reply(std::string_view line) {
    constexpr std::size_t limit = 200;
    std::string quoted = "\"";
    quoted += line.substr(0, limit);
    quoted += line.size() > limit ? "...\"" : "\"";
    return quoted;
}

// Gives an office that stopped a moment to be reaped, so its status can be told.
std::string how_it_ended(platform::Process& process) {
    try {
        std::optional<platform::ExitStatus> status = process.wait_for(std::chrono::milliseconds(1000));
        return status ? platform::describe(*status) : std::string("still running");
    } catch (const platform::Error& e) {
        return e.what();
    }
}

// LibreOffice's standard program folder on Debian and most Linux distributions.
constexpr const char* default_office_folder = "/usr/lib/libreoffice/program";

std::string office_folder() {
    if (const char* configured = std::getenv("TARNWICKERY_LIBREOFFICE_PROGRAM");
        configured != nullptr && *configured != '\0') {
        return configured;
    }
    return default_office_folder;
}

std::string after_tab(std::string_view line) { return std::string(line.substr(line.find('\t') + 1)); }

}  // namespace

ConverterProcess::ConverterProcess(const std::string& program, const fs::path& profiles, const std::string& sample)
    : started_(Clock::now()) {
    platform::ProcessOptions options;
    options.pipe_stdin = true;
    options.pipe_stdout = true;
    // Fonts are looked up once, as the office starts.
    if (std::string fonts = pdf_press::fontconfig_file(); !fonts.empty()) {
        options.environment.emplace_back("FONTCONFIG_FILE", fonts);
    }
    std::vector<std::string> arguments{program, office_folder(), platform::from_path(profiles),
                                       std::to_string(getpid())};
    if (!sample.empty()) {
        arguments.push_back(sample);
    }
    process_.emplace(arguments, options);
    id_ = process_->id();
}

bool ConverterProcess::is_running() {
    if (!process_) {
        return false;
    }
    try {
        if (!process_->wait_for(std::chrono::milliseconds(0))) {
            return true;
        }
    } catch (const platform::Error&) {
        // It cannot even be waited for: it is no use any more.
    }
    stop();
    return false;
}

void ConverterProcess::retire() noexcept {
    if (process_) {
        process_->close_stdin();
    }
}

void ConverterProcess::stop() noexcept {
    if (!process_) {
        return;
    }
    // End of input makes a ready converter leave at once; the kill is for one that hangs,
    // and for one still starting, which reads nothing yet and has nothing to finish.
    process_->close_stdin();
    if (ready_) {
        try {
            process_->wait_for(std::chrono::milliseconds(500));
        } catch (const platform::Error&) {
        }
    }
    process_->kill_tree();
    process_.reset();
}

void ConverterProcess::fail_as_ended(const std::string& message) {
    std::string ended = process_ ? how_it_ended(*process_) : std::string("stopped");
    fail_and_stop(message + " (" + ended + ")");
}

void ConverterProcess::fail_and_stop(const std::string& message) {
    std::string said = process_ ? what_office_said(process_->output()) : std::string();
    stop();
    throw ConversionError(message + said);
}

std::optional<std::string> ConverterProcess::next_line(const Job& job, Clock::time_point deadline,
                                                       std::chrono::milliseconds time_limit, const char* while_doing) {
    std::optional<std::string> line;
    if (!process_) {
        return std::nullopt;
    }
    try {
        auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
        line = process_->read_line(std::max(left, std::chrono::milliseconds(0)));
    } catch (const platform::ProcessError&) {
        return std::nullopt;  // it closed its output: it has ended
    }
    if (!line) {
        fail_and_stop(job.failure + "the converter took longer than " + duration_text(time_limit) + " while " +
                      while_doing + " and was stopped");
    }
    return line;
}

std::string ConverterProcess::expect_line(const Job& job, Clock::time_point deadline,
                                          std::chrono::milliseconds time_limit, const char* while_doing) {
    std::optional<std::string> line = next_line(job, deadline, time_limit, while_doing);
    if (!line) {
        fail_as_ended(job.failure + "the converter ended while " + while_doing);
    }
    return *line;
}

bool ConverterProcess::check_ready(std::chrono::milliseconds time_limit) {
    if (ready_ || !process_) {
        return ready_;
    }
    try {
        if (std::optional<std::string> line = process_->read_line(std::chrono::milliseconds(0))) {
            ready_ = *line == "ready";
            if (!ready_) {
                stop();
            }
            return ready_;
        }
    } catch (const platform::ProcessError&) {
        stop();  // it ended before it was ready
        return false;
    }
    if (Clock::now() - started_ > time_limit) {
        stop();
    }
    return false;
}

bool ConverterProcess::await_ready(const Job& job, Clock::time_point deadline, std::chrono::milliseconds time_limit) {
    if (ready_) {
        return true;
    }
    std::string line = expect_line(job, deadline, time_limit, "starting");
    if (line == "ready") {
        ready_ = true;
        return true;
    }
    std::string_view text = line;
    if (text.starts_with("unavailable\t")) {
        unavailable_reason = after_tab(text);
        stop();
        return false;
    }
    if (text.starts_with("error\t")) {
        fail_and_stop(job.failure + "the converter could not start: " + after_tab(text));
    }
    fail_and_stop(job.failure + "the converter answered " + quote_reply(line) + " instead of reporting that it is ready");
}

bool ConverterProcess::send(const Job& job) {
    if (!process_) {
        return false;
    }
    try {
        process_->write_stdin("convert\t" + file_url(job.source) + "\t" + file_url(job.result) + "\n");
        return true;
    } catch (const platform::ProcessError&) {
        return false;
    }
}

bool ConverterProcess::await_taken(const Job& job, Clock::time_point deadline, std::chrono::milliseconds time_limit) {
    std::optional<std::string> line = next_line(job, deadline, time_limit, "taking the request");
    if (!line) {
        return false;
    }
    if (*line != "taken") {
        fail_and_stop(job.failure + "the converter answered " + quote_reply(*line) + " instead of taking the request");
    }
    return true;
}

void ConverterProcess::await_result(const Job& job, Clock::time_point deadline, std::chrono::milliseconds time_limit) {
    std::string line = expect_line(job, deadline, time_limit, "converting");
    ++conversions_;
    if (line == "ok") {
        return;
    }
    std::string_view text = line;
    if (text.starts_with("error\t")) {
        throw ConversionError(job.failure + after_tab(text));
    }
    fail_and_stop(job.failure + "the converter answered " + quote_reply(line) + ", which is no reply to a conversion");
}

}  // namespace pdf_press::detail
