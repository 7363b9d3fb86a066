#include <receipt_channels/request_rules.hpp>

#include <receipt_channels/utf8.hpp>

#include <bounded_input/cut.hpp>
#include <i18n/tr.hpp>

#include <array>
#include <charconv>
#include <cstdio>

namespace request_rules {
namespace {

// An ASCII or full-width digit as its value; -1 for anything else.
int digit_value(char32_t c) {
    if (c >= U'0' && c <= U'9') return static_cast<int>(c - U'0');
    if (c >= 0xFF10 && c <= 0xFF19) return static_cast<int>(c - 0xFF10);
    return -1;
}

bool is_leap(long long year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

}  // namespace

std::optional<std::string> printed_tax_number(std::string_view typed) {
    if (!is_valid_utf8(typed)) return std::nullopt;
    std::string digits;
    for (const std::string& character : utf8_characters(typed)) {
        const int digit = digit_value(code_point(character));
        if (digit < 0) return std::nullopt;
        digits += static_cast<char>('0' + digit);
    }
    if (!digits.empty() && digits.size() != 8) return std::nullopt;
    return digits;
}

std::string tax_number_refusal(std::string_view typed) {
    return i18n::tr("統一編號 \"{1}\" is not eight digits; leave it empty or give all eight", {bounded_input::cut(typed, 40)});
}

bool passes_check_digit(std::string_view digits) {
    static constexpr int kWeights[] = {1, 2, 1, 2, 1, 2, 4, 1};
    if (digits.size() != 8) return false;
    int total = 0;
    for (std::size_t i = 0; i < 8; ++i) {
        if (digits[i] < '0' || digits[i] > '9') return false;
        const int product = (digits[i] - '0') * kWeights[i];
        total += product / 10 + product % 10;
    }
    return total % 5 == 0 || (digits[6] == '7' && (total + 1) % 5 == 0);
}

std::string check_digit_warning(std::string_view digits) {
    return i18n::tr("統一編號 {1} fails the check-digit rule; please check it", {digits});
}

std::optional<std::string> buyer_refusal(std::string_view buyer) {
    // Counting stops past the limit: a name of a megabyte is refused as quickly.
    std::size_t characters = 0;
    for (const char byte : buyer)
        if ((static_cast<unsigned char>(byte) & 0xC0) != 0x80 && ++characters > kLongestBuyer)
            return i18n::tr("the buyer's name is longer than {1} characters, more than a receipt can print; shorten it",
                            {std::to_string(kLongestBuyer)});
    return std::nullopt;
}

std::optional<std::string> row_lists_refusal(std::size_t names, std::size_t quantities, std::size_t unit_prices) {
    if (names == quantities && names == unit_prices) return std::nullopt;
    return i18n::tr("品名, 數量 and 單件價格 must be equally long, one entry per product row; they have {1}, {2} and {3} entries",
                    {std::to_string(names), std::to_string(quantities), std::to_string(unit_prices)});
}

std::optional<std::string> total_refusal(std::string_view total) {
    const std::string shown(total);
    if (total.starts_with('-') && total != "-0") return i18n::tr("the total {1} is below zero; a receipt cannot show it", {shown});
    const std::string largest = std::to_string(kLargestTotal);
    if (total.size() > largest.size() || (total.size() == largest.size() && total > largest))
        return i18n::tr("the total {1} is above {2}, the most the receipt's six cells can show", {shown, largest});
    return std::nullopt;
}

std::optional<std::string> date_refusal(long long year, long long month, long long day) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const std::string shown = std::to_string(year) + "-" + std::to_string(month) + "-" + std::to_string(day);
    if (month < 1 || month > 12 || day < 1 || day > kDays[month - 1] + (month == 2 && is_leap(year) ? 1 : 0))
        return i18n::tr("the date {1} is not a real day", {shown});
    if (year < 1912) return i18n::tr("the date {1} is before 1912-01-01, where Republic-of-China years begin", {shown});
    if (year > 9999) return i18n::tr("the date {1} is after 9999-12-31", {shown});
    return std::nullopt;
}

std::optional<std::string> typed_day(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    const std::size_t first = text.find_first_of("-/");
    if (first == std::string_view::npos) return std::nullopt;
    const char separator = text[first];
    const std::size_t second = text.find(separator, first + 1);
    if (second == std::string_view::npos) return std::nullopt;
    const std::array<std::string_view, 3> parts = {text.substr(0, first), text.substr(first + 1, second - first - 1),
                                                   text.substr(second + 1)};
    // Digits only: from_chars alone would take a sign, and the lengths tell the forms apart.
    std::array<long long, 3> numbers{};
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const std::string_view part = parts[i];
        if (part.empty() || part.size() > (i == 0 ? 4u : 2u) || part.find_first_not_of("0123456789") != std::string_view::npos)
            return std::nullopt;
        std::from_chars(part.data(), part.data() + part.size(), numbers[i]);
    }
    auto [year, month, day] = numbers;
    if (parts[0].size() < 4) year += 1911;
    if (date_refusal(year, month, day)) return std::nullopt;
    char iso[16];
    std::snprintf(iso, sizeof iso, "%04lld-%02lld-%02lld", year, month, day);
    return iso;
}

std::string roc_date_text(int year, int month, int day) {
    char text[48];
    std::snprintf(text, sizeof text, "%d/%02d/%02d", year - 1911, month, day);
    return text;
}

std::string roc_date_text(std::string_view iso_date) {
    const auto digits = [&](std::size_t from, std::size_t count, int& value) {
        const auto [end, error] = std::from_chars(iso_date.data() + from, iso_date.data() + from + count, value);
        return error == std::errc{} && end == iso_date.data() + from + count;
    };
    int year = 0, month = 0, day = 0;
    if (iso_date.size() != 10 || iso_date[4] != '-' || iso_date[7] != '-' || !digits(0, 4, year) ||
        !digits(5, 2, month) || !digits(8, 2, day) || year < 1912)
        return std::string(iso_date);
    return roc_date_text(year, month, day);
}

}  // namespace request_rules
