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

// An object that names the same key twice, which the parser would read as the last of
// them, silently.
class DuplicateKeyError : public JsonError {
public:
    DuplicateKeyError(std::string key, std::string pointer);
    const std::string& key() const noexcept { return key_; }
    // Where the object is, as a JSON Pointer: "" for the whole value, "/2" for the third
    // element of an array, "/買受人/0" deeper.
    const std::string& pointer() const noexcept { return pointer_; }

private:
    std::string key_, pointer_;
};

// Parses `text` as one JSON value; the parser itself never recurses. Throws JsonError,
// also for a NUL byte anywhere in `text`, which JSON text never holds, and
// DuplicateKeyError for an object that names a key twice.
nlohmann::json parse_json(std::string_view text);

// The JSON text of `value`, bytes that are not UTF-8 shown as U+FFFD, cut as cut() does.
std::string excerpt(const nlohmann::json& value, std::size_t max_bytes = kLogValueBytes);

}  // namespace bounded_input
