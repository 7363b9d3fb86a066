#include "receipt_file_name.hpp"

#include <receipt_channels/utf8.hpp>
#include <receipt_register/receipt_files.hpp>

#include <cstdio>
#include <string_view>

namespace receipt_worker {
namespace {

bool is_bidi_formatting(char32_t c) {
    return c == 0x061C || c == 0x200E || c == 0x200F || (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

bool fits_file_name(const std::string& character) {
    if (!is_valid_utf8(character)) return false;
    const char32_t c = code_point(character);
    if (c < 0x20 || (c >= 0x7F && c <= 0x9F) || is_bidi_formatting(c)) return false;
    return std::u32string_view(U"/\\:*?\"<>|").find(c) == std::u32string_view::npos;
}

// `text` as file-name characters, at most `budget` bytes of them.
std::string file_name_text(const std::string& text, std::size_t budget) {
    std::string out;
    for (const std::string& character : utf8_characters(text)) {
        const std::string kept = fits_file_name(character) ? character : "_";
        if (out.size() + kept.size() > budget) break;
        out += kept;
    }
    return out;
}

std::string two_digits(int n) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%02d", n);
    return buffer;
}

}  // namespace

std::string receipt_file_name(long long number, const std::string& buyer, const std::string& tax_number,
                              const Date& record_date) {
    char year[16];
    std::snprintf(year, sizeof year, "%04d", record_date.year);
    const std::string head =
        std::string(receipt_register::kReceiptPrefix) + receipt_register::number_text(number) + " - ";
    const std::string tail = std::string("（記錄日期：") + year + "年" + two_digits(record_date.month) + "月" +
                             two_digits(record_date.day) + "日）";

    const std::string tax_part = tax_number.empty() ? "" : "統一編號：" + file_name_text(tax_number, kLongestReceiptName);
    const std::string buyer_label = buyer.empty() ? "" : "買受人：";
    const std::string separator = !buyer.empty() && !tax_number.empty() ? "；" : "";
    const std::size_t fixed = head.size() + buyer_label.size() + separator.size() + tax_part.size() + tail.size();
    const std::size_t buyer_budget = fixed < kLongestReceiptName ? kLongestReceiptName - fixed : 0;
    return head + buyer_label + file_name_text(buyer, buyer_budget) + separator + tax_part + tail;
}

}  // namespace receipt_worker
