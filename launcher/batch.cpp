#include "batch.hpp"

#include <bounded_input/cut.hpp>
#include <bounded_input/json.hpp>
#include <bounded_input/line.hpp>
#include <i18n/tr.hpp>
#include <receipt_channels/utf8.hpp>

#include <cstddef>
#include <optional>
#include <string>

namespace {

// Far beyond any request (a full one is well under a kilobyte); a longer line is read
// past, not held.
constexpr std::size_t kMaxLineBytes = std::size_t{1} << 20;

// Why `line` cannot be a request, or nothing when it parses as a JSON object.
std::optional<std::string> unreadable_line(const std::string& line, nlohmann::json& request) {
    // The JSON reader would end the line at a NUL and ignore the rest.
    if (line.find('\0') != std::string::npos) return i18n::tr("the line holds a NUL byte");
    if (!is_valid_utf8(line)) return i18n::tr("the line is not valid UTF-8 text");
    try {
        request = bounded_input::parse_json(line);
    } catch (const bounded_input::DuplicateKeyError& error) {
        return i18n::tr("the key \"{1}\" is given twice; give each key once", {bounded_input::cut(error.key(), 100)});
    } catch (const bounded_input::JsonError& error) {
        return i18n::tr("not a JSON object: {1}", {error.what()});
    }
    if (!request.is_object()) return i18n::tr("not a JSON object");
    return std::nullopt;
}

}  // namespace

bool run_batch(Receipt_Maker& maker, std::istream& requests, std::ostream& out, std::ostream& errors) {
    int written = 0, failed = 0, with_warnings = 0, line_number = 0;
    std::string line;
    for (;;) {
        const auto read = bounded_input::read_line(requests, line, kMaxLineBytes);
        if (read == bounded_input::LineRead::end) break;
        ++line_number;
        if (read == bounded_input::LineRead::too_long) {
            errors << i18n::tr("line {1}: the line is longer than 1 MiB", {std::to_string(line_number)}) << std::endl;
            ++failed;
            continue;
        }
        if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
        nlohmann::json request;
        if (const auto reason = unreadable_line(line, request)) {
            errors << i18n::tr("line {1}: {2}", {std::to_string(line_number), *reason}) << std::endl;
            ++failed;
            continue;
        }
        const ReceiptOutcome outcome = maker.make(request);
        if (!outcome.written) {
            errors << i18n::tr("line {1}: {2}", {std::to_string(line_number), bounded_input::cut(outcome.error)}) << std::endl;
            ++failed;
            continue;
        }
        ++written;
        for (const std::string& warning : outcome.warnings)
            errors << i18n::tr("line {1}: warning: {2}", {std::to_string(line_number), bounded_input::cut(warning)}) << std::endl;
        with_warnings += !outcome.warnings.empty();
    }
    out << i18n::tr("{1} written, {2} failed, {3} with warnings",
                    {std::to_string(written), std::to_string(failed), std::to_string(with_warnings)})
        << std::endl;
    return failed == 0;
}
