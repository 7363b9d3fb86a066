#pragma once

#include <bounded_input/cut.hpp>

#include <nlohmann/json.hpp>

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>

namespace bounded_input {

// Arrays and objects nested deeper than this are refused. No plan or request comes
// near it, and what walks a parsed value recursively (dump, copy, comparison) then
// stays far from the end of the stack.
inline constexpr int kMaxJsonDepth = 64;

// Text that is not one JSON value, or nests deeper than kMaxJsonDepth. The message is
// one line of bounded length.
class JsonError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Parses `text` as one JSON value; the parser itself never recurses. Throws JsonError,
// also for a NUL byte anywhere in `text`, which JSON text never holds.
nlohmann::json parse_json(std::string_view text);

// The JSON text of `value`, bytes that are not UTF-8 shown as U+FFFD, cut as cut() does.
std::string excerpt(const nlohmann::json& value, std::size_t max_bytes = kLogValueBytes);

}  // namespace bounded_input
