#include "pdf_press/pdf_press.hpp"

#include "command_line.hpp"
#include "common.hpp"
#include "warm_converter.hpp"

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

std::optional<int> Pdf_Press::converter_id() const {
    if (!state_) {
        return std::nullopt;
    }
    std::lock_guard lock(state_->mutex);
    return state_->converter.id();
}

void Pdf_Press::convert(const std::string& input_docx, const std::string& output_pdf, bool keep_active) {
    const std::string failure = "cannot convert " + input_docx + " to PDF: ";
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
    if (!state_) {
        state_ = std::make_unique<State>();  // this object was moved from
    }
    State& state = *state_;
    std::lock_guard lock(state.mutex);
    WarmConverter& converter = state.converter;
    try {
        Job job(input, output_folder, failure);
        bool converted = false;
        if (!command_line_only && !state.converter_unavailable) {
            // Whatever happens, a converter asked not to stay or at the end of its life goes.
            struct Retire {
                WarmConverter& converter;
                bool keep;
                int lifetime;
                ~Retire() {
                    if (!keep || converter.conversions() >= lifetime) converter.stop();
                }
            } retire{converter, keep_active, converter_lifetime};
            converted = converter.convert(job, time_limit);
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
