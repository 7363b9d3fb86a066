#pragma once

#include "common.hpp"

#include "platform/process.hpp"

#include <chrono>
#include <optional>
#include <string>

namespace pdf_press::detail {

// The converter process (pdf-press-converter, beside the program) and the line
// protocol spoken with it; see converter/main.cpp for the protocol. Not thread-safe.
class WarmConverter {
public:
    WarmConverter() = default;
    WarmConverter(const WarmConverter&) = delete;
    WarmConverter& operator=(const WarmConverter&) = delete;
    ~WarmConverter() { stop(); }

    // Has the converter write job.result, starting one first when none runs. Returns
    // false, having done nothing, when there is no converter program or no usable
    // LibreOfficeKit; `unavailable_reason` then says why. Throws ConversionError when
    // the conversion fails; a converter that crashed, hung past `time_limit` or
    // answered nonsense has been stopped by then.
    bool convert(const Job& job, std::chrono::milliseconds time_limit);

    // Ends the converter, if one runs; its files stay.
    void stop() noexcept;

    std::optional<int> id() const;
    // Conversions the running converter has served.
    int conversions() const noexcept { return conversions_; }

    std::string unavailable_reason;

private:
    using Clock = std::chrono::steady_clock;

    bool start(const Job& job, Clock::time_point deadline, std::chrono::milliseconds time_limit);
    // Sends the request; false when the converter turns out to have ended before it
    // took it. Throws ConversionError after stopping a converter that misbehaves.
    bool hand_over(const Job& job, Clock::time_point deadline, std::chrono::milliseconds time_limit);
    // The converter's next line; nullopt when it has ended. Throws ConversionError after
    // stopping it when no line comes in time.
    std::optional<std::string> next_line(const Job& job, Clock::time_point deadline,
                                         std::chrono::milliseconds time_limit, const char* while_doing);
    // The next line, or a ConversionError, after stopping it, when the converter ended.
    std::string expect_line(const Job& job, Clock::time_point deadline, std::chrono::milliseconds time_limit,
                            const char* while_doing);
    [[noreturn]] void fail_and_stop(const std::string& message);

    std::optional<platform::Process> process_;
    int conversions_ = 0;
};

}  // namespace pdf_press::detail
