#pragma once

#include <receipt_channels/utf8.hpp>

#include <cstdint>
#include <limits>
#include <optional>
#include <string_view>

namespace whole_number_detail {

inline bool is_space(char32_t c) {
    return c == U' ' || (c >= U'\t' && c <= U'\r') || (c >= 0x1C && c <= 0x1F) || c == 0x85 || c == 0xA0 ||
           c == 0x1680 || (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F ||
           c == 0x205F || c == 0x3000;
}

inline int digit_of(char32_t c) {
    if (c >= U'0' && c <= U'9') return static_cast<int>(c - U'0');
    if (c >= 0xFF10 && c <= 0xFF19) return static_cast<int>(c - 0xFF10);  // full-width
    return -1;
}

}  // namespace whole_number_detail

// A text reads as a whole number when, without surrounding white space, it is an
// optional sign and decimal digits (full-width digits too), with single underscores
// allowed between digits. Numbers beyond 64 bits do not read.
inline std::optional<long long> read_whole_number(std::string_view text) {
    using namespace whole_number_detail;
    const auto characters = utf8_characters(text);
    std::size_t begin = 0, end = characters.size();
    while (begin < end && is_space(code_point(characters[begin]))) ++begin;
    while (end > begin && is_space(code_point(characters[end - 1]))) --end;

    bool negative = false;
    if (begin < end && (characters[begin] == "+" || characters[begin] == "-")) negative = characters[begin++] == "-";
    if (begin == end) return std::nullopt;

    constexpr unsigned long long limit = std::numeric_limits<long long>::max();
    unsigned long long magnitude = 0;
    bool previous_was_digit = false;
    for (std::size_t i = begin; i < end; ++i) {
        if (characters[i] == "_") {
            if (!previous_was_digit || i + 1 == end) return std::nullopt;
            previous_was_digit = false;
            continue;
        }
        const int digit = digit_of(code_point(characters[i]));
        if (digit < 0) return std::nullopt;
        if (magnitude > (limit + 1 - digit) / 10) return std::nullopt;
        magnitude = magnitude * 10 + digit;
        previous_was_digit = true;
    }
    if (magnitude > limit + (negative ? 1 : 0)) return std::nullopt;
    if (negative) return magnitude == limit + 1 ? std::numeric_limits<long long>::min() : -static_cast<long long>(magnitude);
    return static_cast<long long>(magnitude);
}
