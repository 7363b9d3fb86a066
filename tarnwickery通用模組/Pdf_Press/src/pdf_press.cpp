#include "pdf_press/pdf_press.hpp"

#include "command_line.hpp"
#include "common.hpp"
#include "warm_converter.hpp"

#include "i18n/tr.hpp"
#include "platform/error.hpp"
#include "platform/root_folder.hpp"

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <system_error>

namespace fs = std::filesystem;
using namespace pdf_press::detail;

struct Pdf_Press::State {
    std::mutex mutex;
    WarmConverter converter;
    // Known for this object after the first try, so later calls do not try again.
    bool converter_unavailable = false;
};

namespace {

// Said once per program: the fallback works, only slower, and nobody should have to
// find out why by timing it.
void note_fallback(const std::string& reason) {
    static std::atomic<bool> said{false};
    if (!said.exchange(true)) {
        std::fprintf(stderr,
                     "Pdf_Press: the LibreOfficeKit converter is not available (%s); every PDF starts "
                     "LibreOffice anew, which takes about a second\n",
                     reason.c_str());
    }
}

}  // namespace

Pdf_Press::Pdf_Press() : state_(std::make_unique<State>()) {}

Pdf_Press::Pdf_Press(const Pdf_Press& other)
    : time_limit(other.time_limit),
      converter_lifetime(other.converter_lifetime),
      command_line_only(other.command_line_only),
      state_(std::make_unique<State>()) {}

Pdf_Press& Pdf_Press::operator=(const Pdf_Press& other) {
    time_limit = other.time_limit;
    converter_lifetime = other.converter_lifetime;
    command_line_only = other.command_line_only;
    return *this;
}

Pdf_Press::Pdf_Press(Pdf_Press&& other) noexcept = default;
Pdf_Press& Pdf_Press::operator=(Pdf_Press&& other) noexcept = default;
Pdf_Press::~Pdf_Press() = default;

Pdf_Press::State& Pdf_Press::live_state() {
    if (!state_) {
        state_ = std::make_unique<State>();
    }
    return *state_;
}

void Pdf_Press::start_converter(const std::string& sample_docx) {
    State& state = live_state();
    std::lock_guard lock(state.mutex);
    if (command_line_only || state.converter_unavailable) {
        return;
    }
    try {
        if (!state.converter.start(sample_docx)) {
            state.converter_unavailable = true;
            note_fallback(state.converter.unavailable_reason);
        }
    } catch (const std::exception&) {
        // The first conversion starts it again and says what is wrong.
    }
}

std::optional<int> Pdf_Press::converter_id() const {
    if (!state_) {
        return std::nullopt;
    }
    std::lock_guard lock(state_->mutex);
    return state_->converter.id();
}

std::optional<int> Pdf_Press::replacement_converter_id() const {
    if (!state_) {
        return std::nullopt;
    }
    std::lock_guard lock(state_->mutex);
    return state_->converter.replacement_id();
}

void Pdf_Press::convert(const std::string& input_docx, const std::string& output_pdf, bool keep_active) {
    const std::string failure = i18n::tr("cannot convert {1} to PDF: ", {input_docx});
    fs::path input = platform::to_path(input_docx);
    fs::path output = platform::to_path(output_pdf);
    std::error_code ec;
    if (!fs::is_regular_file(input, ec)) {
        throw ConversionError(failure + "the file does not exist");
    }
    if (fs::equivalent(input, output, ec)) {
        throw ConversionError(failure + "the output would overwrite the input");
    }
    fs::path output_folder = output.parent_path().empty() ? fs::path(".") : output.parent_path();
    if (!fs::is_directory(output_folder, ec)) {
        throw ConversionError(failure + "the output folder " + platform::from_path(output_folder) +
                              " does not exist");
    }
    State& state = live_state();
    std::lock_guard lock(state.mutex);
    WarmConverter& converter = state.converter;
    try {
        Job job(input, output_folder, failure);
        bool converted = false;
        if (!command_line_only && !state.converter_unavailable) {
            // Whatever happens, a converter asked not to stay goes.
            struct StopUnlessKept {
                WarmConverter& converter;
                bool keep;
                ~StopUnlessKept() {
                    if (!keep) converter.stop();
                }
            } stop_unless_kept{converter, keep_active};
            converted = converter.convert(job, time_limit, converter_lifetime);
            if (!converted) {
                state.converter_unavailable = true;
                note_fallback(converter.unavailable_reason);
            }
        }
        if (!converted) {
            convert_with_command_line(job, time_limit);
        } else if (!is_complete_pdf(job.result)) {
            // A converter that says it wrote what it did not is not to be trusted again.
            converter.stop();
            throw ConversionError(failure + "the converter reported success but wrote no complete PDF");
        }
        // The only step that touches the output: a failure before it leaves an older
        // file there as it was.
        fs::rename(job.result, output);
    } catch (const platform::Error& e) {
        throw ConversionError(failure + e.what());
    } catch (const fs::filesystem_error& e) {
        throw ConversionError(failure + e.what());
    }
}
