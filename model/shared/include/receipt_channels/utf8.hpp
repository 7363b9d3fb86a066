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

// The code point of one character from utf8_characters (a lone byte gives its value).
inline char32_t code_point(std::string_view character) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(character[i]); };
    if (character.size() <= 1) return character.empty() ? 0 : byte(0);
    char32_t c = byte(0) & (0x7F >> character.size());
    for (std::size_t i = 1; i < character.size(); ++i) c = (c << 6) | (byte(i) & 0x3F);
    return c;
}
