#include <bounded_input/json.hpp>

namespace bounded_input {
namespace {

using Json = nlohmann::json;

// Thrown from the parser's callback, which sees each container's depth as it opens.
struct TooDeep {};

// What the parser says, without its "[json.exception.parse_error.101] " tag; the
// last token it read can be the whole rest of the input.
std::string parser_message(const Json::exception& error) {
    std::string_view message = error.what();
    if (message.starts_with("[json.exception.")) {
        const auto end = message.find("] ");
        if (end != std::string_view::npos) message.remove_prefix(end + 2);
    }
    return cut(message, 200);
}

}  // namespace

Json parse_json(std::string_view text) {
    const auto limit_depth = [](int depth, Json::parse_event_t event, Json&) {
        if ((event == Json::parse_event_t::object_start || event == Json::parse_event_t::array_start) &&
            depth >= kMaxJsonDepth)
            throw TooDeep{};
        return true;
    };
    // The parser takes a NUL for the end of the text and would ignore what follows.
    if (text.find('\0') != std::string_view::npos) throw JsonError("the text holds a NUL byte");
    try {
        return Json::parse(text.begin(), text.end(), limit_depth);
    } catch (const TooDeep&) {
        throw JsonError("JSON nested more than " + std::to_string(kMaxJsonDepth) + " levels deep");
    } catch (const Json::exception& error) {
        throw JsonError(parser_message(error));
    }
}

std::string excerpt(const Json& value, std::size_t max_bytes) {
    return cut(value.dump(-1, ' ', false, Json::error_handler_t::replace), max_bytes);
}

}  // namespace bounded_input
