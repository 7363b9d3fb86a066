#include "detail/xml_text.hpp"

#include <docx_loom/errors.hpp>
#include <i18n/tr.hpp>

#include <cstdio>

namespace docx_loom::detail {
namespace {

std::string hex(const char* format, unsigned value) {
    char text[16];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

// The length of the well-formed UTF-8 sequence at `at`, or 0.
std::size_t sequence_length(std::string_view text, std::size_t at, char32_t& code_point) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[at + i]); };
    const unsigned char lead = byte(0);
    std::size_t length;
    unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
    if (lead < 0x80) {
        code_point = lead;
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, code_point = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, code_point = lead & 0x0F;
        if (lead == 0xE0) low = 0xA0;  // overlong
        if (lead == 0xED) high = 0x9F;  // surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, code_point = lead & 0x07;
        if (lead == 0xF0) low = 0x90;  // overlong
        if (lead == 0xF4) high = 0x8F;  // beyond U+10FFFF
    } else {
        return 0;
    }
    if (at + length > text.size()) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        const unsigned char next = byte(i);
        if (next < (i == 1 ? low : 0x80) || next > (i == 1 ? high : 0xBF)) return 0;
        code_point = (code_point << 6) | (next & 0x3F);
    }
    return length;
}

std::string not_utf8(std::string_view text, std::size_t at) {
    return i18n::tr("is not UTF-8 (byte {1} at byte {2})",
                    {hex("0x%02X", static_cast<unsigned char>(text[at])), std::to_string(at)});
}

}  // namespace

std::optional<std::string> utf8_problem(std::string_view text) {
    for (std::size_t at = 0; at < text.size();) {
        char32_t c = 0;
        const std::size_t length = sequence_length(text, at, c);
        if (length == 0) return not_utf8(text, at);
        at += length;
    }
    return std::nullopt;
}

std::optional<std::string> xml_text_problem(std::string_view text, bool vertical_tab_is_line_break) {
    for (std::size_t at = 0; at < text.size();) {
        char32_t c = 0;
        const std::size_t length = sequence_length(text, at, c);
        if (length == 0) return not_utf8(text, at);
        const bool allowed_control = c == '\t' || c == '\n' || c == '\r' || (c == '\v' && vertical_tab_is_line_break);
        if ((c < 0x20 && !allowed_control) || c == 0xFFFE || c == 0xFFFF)
            return i18n::tr("holds the character {1}, which XML cannot hold",
                            {hex("U+%04X", static_cast<unsigned>(c))});
        at += length;
    }
    return std::nullopt;
}

void require_xml_text(std::string_view text, std::string_view what, bool vertical_tab_is_line_break) {
    if (auto problem = xml_text_problem(text, vertical_tab_is_line_break))
        throw TemplateError(std::string(what) + " " + *problem);
}

}  // namespace docx_loom::detail
