#include "text_table.hpp"

#include <receipt_channels/utf8.hpp>

#include <algorithm>

namespace {

bool is_wide(char32_t c) {
    return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) || (c >= 0xAC00 && c <= 0xD7A3) ||
           (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
           (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x20000 && c <= 0x3FFFD);
}

// Characters that move the cursor or reorder what follows: shown as they are, a buyer's
// name could start a new row or run a column backwards and so forge the table.
bool is_hidden_control(char32_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x061C || c == 0x200E || c == 0x200F || (c >= 0x2028 && c <= 0x202E) ||
           (c >= 0x2066 && c <= 0x2069);
}

std::string hex(unsigned value, int digits) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string text;
    for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4) text += kHex[(value >> shift) & 0xF];
    return text;
}

}  // namespace

std::string visible_text(const std::string& text) {
    std::string shown;
    for (const auto& character : utf8_characters(text)) {
        const char32_t c = code_point(character);
        if (character.size() == 1 && c >= 0x80) {
            shown += "\\x" + hex(c, 2);  // a byte that is no UTF-8
        } else if (!is_hidden_control(c)) {
            shown += character;
        } else {
            switch (c) {
                case '\n': shown += "\\n"; break;
                case '\r': shown += "\\r"; break;
                case '\t': shown += "\\t"; break;
                case '\v': shown += "\\v"; break;
                case '\f': shown += "\\f"; break;
                default: shown += "\\u" + hex(c, 4);
            }
        }
    }
    return shown;
}

std::size_t display_width(const std::string& text) {
    std::size_t width = 0;
    for (const auto& character : utf8_characters(text)) width += is_wide(code_point(character)) ? 2 : 1;
    return width;
}

void write_text_table(std::ostream& out, std::vector<std::vector<std::string>> rows) {
    for (auto& row : rows)
        for (auto& cell : row) cell = visible_text(cell);
    std::vector<std::size_t> widths;
    for (const auto& row : rows) {
        widths.resize(std::max(widths.size(), row.size()));
        for (std::size_t i = 0; i < row.size(); ++i) widths[i] = std::max(widths[i], display_width(row[i]));
    }
    for (const auto& row : rows) {
        std::string line;
        for (std::size_t i = 0; i < row.size(); ++i) {
            line += row[i];
            if (i + 1 < row.size()) line += std::string(widths[i] - display_width(row[i]) + 2, ' ');
        }
        out << line << '\n';
    }
}
