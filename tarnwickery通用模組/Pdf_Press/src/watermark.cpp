#include "watermark.hpp"

namespace pdf_press::detail {

namespace {

// Control characters: C0 and DEL, C1, and the Unicode line and paragraph separators.
bool is_control(char32_t c) { return c < 0x20 || (c >= 0x7f && c < 0xa0) || c == 0x2028 || c == 0x2029; }

// The length of the UTF-8 sequence that `lead` starts; 0 when none starts so.
std::size_t sequence_length(unsigned char lead) {
    if (lead < 0x80) return 1;
    if (lead < 0xc2) return 0;  // a continuation byte, or the lead of an overlong form
    if (lead < 0xe0) return 2;
    if (lead < 0xf0) return 3;
    if (lead < 0xf5) return 4;
    return 0;
}

}  // namespace

std::string watermark_fault(std::string_view watermark) {
    std::size_t characters = 0;
    for (std::size_t i = 0; i < watermark.size(); ++characters) {
        const auto lead = static_cast<unsigned char>(watermark[i]);
        const std::size_t length = sequence_length(lead);
        if (length == 0 || i + length > watermark.size()) {
            return "the watermark is not UTF-8 text";
        }
        char32_t c = length == 1 ? lead : lead & (0x7f >> length);
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(watermark[i + k]);
            if ((next & 0xc0) != 0x80) {
                return "the watermark is not UTF-8 text";
            }
            c = (c << 6) | (next & 0x3f);
        }
        // Overlong forms, surrogates and values past Unicode's end are no characters.
        const char32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
        if (c < least[length] || (c >= 0xd800 && c < 0xe000) || c > 0x10ffff) {
            return "the watermark is not UTF-8 text";
        }
        if (is_control(c)) {
            return "the watermark holds a tab, a line break or another control character; it must be one line "
                   "of text";
        }
        i += length;
    }
    if (characters > watermark_length_limit) {
        return "the watermark is " + std::to_string(characters) + " characters long; at most " +
               std::to_string(watermark_length_limit) + " fit on a page";
    }
    return {};
}

}  // namespace pdf_press::detail
