#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

// A .docx could not be turned into a PDF. The message names the input file and
// carries what LibreOffice or the converter said.
class ConversionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// There is no office to convert with. The message is one sentence that names the
// program that is missing and says what to install or set; it names no file, since
// every file would fail alike.
class OfficeMissing : public ConversionError {
public:
    using ConversionError::ConversionError;
};

// Converts .docx files to PDF/A-2b with LibreOffice, every font embedded, pictures at
// their own resolution. Constructing one starts nothing. start_converter, or else the
// first conversion, starts a converter process of its own (LibreOffice through
// LibreOfficeKit), which later calls reuse while `keep_active` is true; it ends with the
// object, or with the program. Where LibreOfficeKit is missing, every call runs
// LibreOffice's command line instead, as a note on standard error says once. Calls on
// one object take turns; separate objects, threads and processes convert side by side,
// each office on a profile of its own under the working folder.
class Pdf_Press {
public:
    Pdf_Press();
    // Copies the settings; the copy starts a converter of its own when it needs one.
    Pdf_Press(const Pdf_Press& other);
    Pdf_Press& operator=(const Pdf_Press& other);
    Pdf_Press(Pdf_Press&& other) noexcept;
    Pdf_Press& operator=(Pdf_Press&& other) noexcept;
    // Ends the converter process, if one runs.
    ~Pdf_Press();

    // Writes the PDF of `input_docx` to `output_pdf` (UTF-8 paths; the output's folder
    // must exist), replacing any file there. The PDF is written under a temporary name
    // beside `output_pdf` and renamed into place, so it returns only with a complete PDF
    // there. Otherwise throws ConversionError and leaves a file already at `output_pdf`
    // untouched (OfficeMissing when there is no office at all); a converter that
    // crashed, hung past `time_limit` or answered nonsense is gone by then, and the
    // next call starts a fresh one. `keep_active` keeps the
    // converter running for the next call; false ends it after this one.
    void convert(const std::string& input_docx, const std::string& output_pdf, bool keep_active);

    // Starts the converter in the background, unless one runs or none can, and returns
    // at once: a call that comes after its start-up does not wait for it. Each converter
    // this object starts from now on first converts `sample_docx` (none when empty) into
    // nothing kept, so that its first call is as quick as the rest; a call that comes
    // while one starts is served first instead. A converter that cannot be started is
    // left to the next conversion, which reports why.
    void start_converter(const std::string& sample_docx = {});

    // The id of the converter process while one runs; nullopt otherwise.
    std::optional<int> converter_id() const;
    // The id of the converter started to replace it as its lifetime ends, while that
    // one starts up; nullopt otherwise.
    std::optional<int> replacement_converter_id() const;

    // How long one call may take, a converter's start included, before the office is
    // killed.
    std::chrono::milliseconds time_limit{std::chrono::seconds(120)};
    // Conversions one converter serves before a fresh one, started beside it meanwhile,
    // takes over: the office's memory grows by almost 1 MiB with every receipt, and a
    // start costs a fraction of a second of the other core.
    int converter_lifetime = 100;
    // Runs LibreOffice's command line for every call even where the converter could
    // serve; for comparisons and as a way round a converter that misbehaves.
    bool command_line_only = false;

private:
    struct State;
    // The state, made anew for an object that was moved from.
    State& live_state();
    std::unique_ptr<State> state_;
};

namespace pdf_press {

// The fontconfig file shipped with the program, which maps the Windows fonts of the
// templates and the window (標楷體, Calibri, Microsoft JhengHei) to free faces; a
// program hands it to the processes it starts through FONTCONFIG_FILE. Empty when the
// file is not in the program folder.
std::string fontconfig_file();

}  // namespace pdf_press
