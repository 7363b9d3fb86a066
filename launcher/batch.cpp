#include "batch.hpp"

#include <bounded_input/cut.hpp>
#include <bounded_input/json.hpp>
#include <receipt_channels/utf8.hpp>

#include <optional>
#include <string>

namespace {

// Why `line` cannot be a request, or nothing when it parses as a JSON object.
std::optional<std::string> unreadable_line(const std::string& line, nlohmann::json& request) {
    // The JSON reader would end the line at a NUL and ignore the rest.
    if (line.find('\0') != std::string::npos) return "the line holds a NUL byte";
    if (!is_valid_utf8(line)) return "the line is not valid UTF-8 text";
    try {
        request = bounded_input::parse_json(line);
    } catch (const bounded_input::JsonError& error) {
        return std::string("not a JSON object: ") + error.what();
    }
    if (!request.is_object()) return "not a JSON object";
    return std::nullopt;
}

}  // namespace

bool run_batch(Receipt_Maker& maker, std::istream& requests, std::ostream& out, std::ostream& errors) {
    int written = 0, failed = 0, with_warnings = 0, line_number = 0;
    for (std::string line; std::getline(requests, line);) {
        ++line_number;
        if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
        nlohmann::json request;
        if (const auto reason = unreadable_line(line, request)) {
            errors << "line " << line_number << ": " << *reason << std::endl;
            ++failed;
            continue;
        }
        const ReceiptOutcome outcome = maker.make(request);
        if (!outcome.written) {
            errors << "line " << line_number << ": " << bounded_input::cut(outcome.error) << std::endl;
            ++failed;
            continue;
        }
        ++written;
        for (const std::string& warning : outcome.warnings)
            errors << "line " << line_number << ": warning: " << bounded_input::cut(warning) << std::endl;
        with_warnings += !outcome.warnings.empty();
    }
    out << written << " written, " << failed << " failed, " << with_warnings << " with warnings" << std::endl;
    return failed == 0;
}
