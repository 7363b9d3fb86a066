#pragma once

#include <string>
#include <string_view>
#include <vector>

// Texts travel as UTF-8; the request's rules count characters, not bytes.

// The characters of `text`, each as its own UTF-8 text. A byte that does not start a
// well-formed sequence counts as one character, so nothing is ever dropped.
inline std::vector<std::string> utf8_characters(std::string_view text) {
    std::vector<std::string> characters;
    for (std::size_t at = 0; at < text.size();) {
        const auto lead = static_cast<unsigned char>(text[at]);
        std::size_t length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 1;
        if (at + length > text.size()) length = 1;
        for (std::size_t i = 1; i < length; ++i)
            if ((static_cast<unsigned char>(text[at + i]) & 0xC0) != 0x80) length = 1;
        characters.emplace_back(text.substr(at, length));
        at += length;
    }
    return characters;
}

// Whether `text` is well-formed UTF-8: no stray or missing continuation bytes, no
// overlong forms, no surrogates, nothing beyond U+10FFFF.
inline bool is_valid_utf8(std::string_view text) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    for (std::size_t at = 0; at < text.size();) {
        const unsigned char lead = byte(at);
        std::size_t length = 0;
        unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
        if (lead < 0x80) {
            length = 1;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            if (lead == 0xE0) low = 0xA0;   // overlong
            if (lead == 0xED) high = 0x9F;  // surrogates
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            if (lead == 0xF0) low = 0x90;   // overlong
            if (lead == 0xF4) high = 0x8F;  // beyond U+10FFFF
        } else {
            return false;
        }
        if (at + length > text.size()) return false;
        if (length > 1 && (byte(at + 1) < low || byte(at + 1) > high)) return false;
        for (std::size_t i = 2; i < length; ++i)
            if ((byte(at + i) & 0xC0) != 0x80) return false;
        at += length;
    }
    return true;
}

// The code point of one character from utf8_characters (a lone byte gives its value).
inline char32_t code_point(std::string_view character) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(character[i]); };
    if (character.size() <= 1) return character.empty() ? 0 : byte(0);
    char32_t c = byte(0) & (0x7F >> character.size());
    for (std::size_t i = 1; i < character.size(); ++i) c = (c << 6) | (byte(i) & 0x3F);
    return c;
}
