#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace bounded_input {

// Enough of a value to recognise it in a log line or an error message.
inline constexpr std::size_t kLogValueBytes = 1024;

// `text` as it is when it has at most `max_bytes` bytes; otherwise its first bytes up
// to that many, cut on a UTF-8 character boundary, followed by "…".
std::string cut(std::string_view text, std::size_t max_bytes = kLogValueBytes);

}  // namespace bounded_input
