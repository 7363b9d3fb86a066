#include "warm_converter.hpp"

#include "platform/error.hpp"
#include "platform/root_folder.hpp"

#include <cstdlib>
#include <string_view>

#ifdef _WIN32
#include <process.h>
#define getpid _getpid
#else
#include <unistd.h>
#endif

namespace pdf_press::detail {

namespace {

// LibreOffice's standard program folder on Debian and most Linux distributions.
constexpr const char* default_office_folder = "/usr/lib/libreoffice/program";

std::string office_folder() {
    if (const char* configured = std::getenv("TARNWICKERY_LIBREOFFICE_PROGRAM");
        configured != nullptr && *configured != '\0') {
        return configured;
    }
    return default_office_folder;
}

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

bool has_ended(platform::Process& process) {
    try {
        return process.wait_for(std::chrono::milliseconds(0)).has_value();
    } catch (const platform::Error&) {
        return true;  // it cannot even be waited for: it is no use any more
    }
}

}  // namespace

std::optional<int> WarmConverter::id() const {
    return process_ ? std::optional<int>(process_->id()) : std::nullopt;
}

void WarmConverter::stop() noexcept {
    if (!process_) {
        return;
    }
    // End of input makes the converter leave at once; the kill is for one that hangs.
    process_->close_stdin();
    try {
        process_->wait_for(std::chrono::milliseconds(500));
    } catch (const platform::Error&) {
    }
    process_->kill_tree();
    process_.reset();
    conversions_ = 0;
}

void WarmConverter::fail_and_stop(const std::string& message) {
    std::string said = process_ ? what_office_said(process_->output()) : std::string();
    stop();
    throw ConversionError(message + said);
}

std::optional<std::string> WarmConverter::next_line(const Job& job, Clock::time_point deadline,
                                                    std::chrono::milliseconds time_limit, const char* while_doing) {
    std::optional<std::string> line;
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

std::string WarmConverter::expect_line(const Job& job, Clock::time_point deadline,
                                       std::chrono::milliseconds time_limit, const char* while_doing) {
    std::optional<std::string> line = next_line(job, deadline, time_limit, while_doing);
    if (!line) {
        std::string ended = how_it_ended(*process_);
        fail_and_stop(job.failure + "the converter ended while " + while_doing + " (" + ended + ")");
    }
    return *line;
}

bool WarmConverter::start(const Job& job, Clock::time_point deadline, std::chrono::milliseconds time_limit) {
    std::string folder = companion_folder();
    std::string program = folder + "pdf-press-converter";
#ifdef _WIN32
    program += ".exe";
#endif
    if (folder.empty() || !platform::find_program(program)) {
        unavailable_reason = "there is no pdf-press-converter in " + (folder.empty() ? "the program folder" : folder);
        return false;
    }
    platform::ProcessOptions options;
    options.pipe_stdin = true;
    options.pipe_stdout = true;
    // Fonts are looked up once, as the office starts.
    if (std::string fonts = pdf_press::fontconfig_file(); !fonts.empty()) {
        options.environment.emplace_back("FONTCONFIG_FILE", fonts);
    }
    process_.emplace(std::vector<std::string>{program, office_folder(),
                                              platform::from_path(profiles_folder(job.failure)),
                                              std::to_string(getpid())},
                     options);
    conversions_ = 0;

    std::string line = expect_line(job, deadline, time_limit, "starting");
    if (line == "ready") {
        return true;
    }
    std::string_view text = line;
    if (text.starts_with("unavailable\t")) {
        unavailable_reason = std::string(text.substr(text.find('\t') + 1));
        stop();
        return false;
    }
    if (text.starts_with("error\t")) {
        fail_and_stop(job.failure + "the converter could not start: " + std::string(text.substr(text.find('\t') + 1)));
    }
    fail_and_stop(job.failure + "the converter answered " + quote_reply(line) + " instead of reporting that it is ready");
}

bool WarmConverter::hand_over(const Job& job, Clock::time_point deadline, std::chrono::milliseconds time_limit) {
    try {
        process_->write_stdin("convert\t" + file_url(job.source) + "\t" + file_url(job.result) + "\n");
    } catch (const platform::ProcessError&) {
        return false;
    }
    std::optional<std::string> line = next_line(job, deadline, time_limit, "taking the request");
    if (!line) {
        return false;
    }
    if (*line != "taken") {
        fail_and_stop(job.failure + "the converter answered " + quote_reply(*line) + " instead of taking the request");
    }
    return true;
}

bool WarmConverter::convert(const Job& job, std::chrono::milliseconds time_limit) {
    const Clock::time_point deadline = Clock::now() + time_limit;
    // A converter that ended since the last call is replaced without a fuss; one killed
    // a moment ago may not look ended yet, which its not taking the request shows. A
    // converter that ends once it has taken the request fails the call: the document
    // may be what made it crash.
    for (int attempt = 1;; ++attempt) {
        if (process_ && has_ended(*process_)) {
            stop();
        }
        if (!process_ && !start(job, deadline, time_limit)) {
            return false;
        }
        if (hand_over(job, deadline, time_limit)) {
            break;
        }
        if (attempt == 2) {
            std::string ended = how_it_ended(*process_);
            fail_and_stop(job.failure + "the converter ended before it took the request (" + ended + ")");
        }
        stop();
    }
    std::string line = expect_line(job, deadline, time_limit, "converting");
    ++conversions_;
    if (line == "ok") {
        return true;
    }
    std::string_view text = line;
    if (text.starts_with("error\t")) {
        throw ConversionError(job.failure + std::string(text.substr(text.find('\t') + 1)));
    }
    fail_and_stop(job.failure + "the converter answered " + quote_reply(line) + ", which is no reply to a conversion");
}

}  // namespace pdf_press::detail
