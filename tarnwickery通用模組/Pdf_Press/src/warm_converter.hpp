#pragma once

#include "common.hpp"
#include "converter_process.hpp"

#include <chrono>
#include <memory>
#include <optional>
#include <string>

namespace pdf_press::detail {

// The converter processes of one Pdf_Press: the one that serves; once that one has
// served its lifetime, a replacement starting beside it, which takes over only when it
// is ready, so that no call waits for a start; and a retired one on its way out. Not
// thread-safe.
class WarmConverter {
public:
    WarmConverter() = default;
    WarmConverter(const WarmConverter&) = delete;
    WarmConverter& operator=(const WarmConverter&) = delete;
    ~WarmConverter() { stop(); }

    // Starts a converter in the background when none runs, and returns at once. Every
    // converter started from now on first converts `sample` (none when empty), so its
    // first call is as quick as the rest. Throws ConversionError or platform::Error
    // when one cannot be started; does nothing, returning false, when there is no
    // converter program (`unavailable_reason` then says why).
    bool start(const std::string& sample);

    // Has a converter write job.result, starting one first when none runs. Returns
    // false, having done nothing, when there is no converter program or no usable
    // LibreOfficeKit; `unavailable_reason` then says why. Throws ConversionError when
    // the conversion fails; a converter that crashed, hung past `time_limit` or
    // answered nonsense has been stopped by then. A converter that has served
    // `lifetime` conversions gets a replacement started beside it.
    bool convert(const Job& job, std::chrono::milliseconds time_limit, int lifetime);

    // Ends every converter; their files stay.
    void stop() noexcept;

    // The serving converter's process id; nullopt when none runs.
    std::optional<int> id() const;
    // The process id of the replacement starting up; nullopt when there is none.
    std::optional<int> replacement_id() const;

    std::string unavailable_reason;

private:
    std::unique_ptr<ConverterProcess> launch(const std::string& failure);
    // Ends a retired converter that has left, drops a replacement that cannot start,
    // and hands over to a ready one when the serving converter is due to retire.
    void settle(std::chrono::milliseconds time_limit, int lifetime);
    void retire_current() noexcept;

    std::string sample_;
    std::unique_ptr<ConverterProcess> current_;
    std::unique_ptr<ConverterProcess> replacement_;
    std::unique_ptr<ConverterProcess> retiring_;
};

}  // namespace pdf_press::detail
