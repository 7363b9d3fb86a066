#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// The rules a receipt request must meet. The window checks what it can before it
// sends a request; the worker checks every request it takes.
namespace request_rules {

// A tax number (統一編號) is empty or exactly eight digits, full-width digits read as
// digits. Returns the number as it is printed, in ASCII digits, or nullopt when
// `typed` breaks the rule.
std::optional<std::string> printed_tax_number(std::string_view typed);

// Why `typed` is refused as a tax number.
std::string tax_number_refusal(std::string_view typed);

// Whether eight ASCII digits pass the check-digit rule in force since 2023: each
// digit times 1, 2, 1, 2, 1, 2, 4, 1, the digits of each product added up (28 counts
// 2 + 8 = 10); the total must be divisible by 5, or, when the seventh digit is 7, the
// total plus one may be instead. Some registered numbers fail it, so failing is
// worth a warning, never a refusal.
bool passes_check_digit(std::string_view digits);

// The warning for a tax number that fails the check-digit rule.
std::string check_digit_warning(std::string_view digits);

// 品名, 數量 and 單件價格 are parallel lists, one entry per product row. Returns why
// lists of these lengths are refused (they differ), or nullopt when they agree: a row
// in one list only would be printed but neither multiplied nor recorded.
std::optional<std::string> row_lists_refusal(std::size_t names, std::size_t quantities, std::size_t unit_prices);

// The most characters of a buyer's name a receipt prints: its line holds no more, and a
// longer name would fail only in the converter, after its time limit.
inline constexpr std::size_t kLongestBuyer = 200;

// Why `buyer` is refused: it has more than kLongestBuyer characters. nullopt when it
// fits.
std::optional<std::string> buyer_refusal(std::string_view buyer);

// The most a receipt's six numeral cells can show.
inline constexpr long long kLargestTotal = 999'999;

// Why a receipt cannot show the total written as `total` in decimal digits (a minus
// sign when negative): it is below zero or above kLargestTotal. nullopt when it can.
std::optional<std::string> total_refusal(std::string_view total);

// A receipt date is a real day no earlier than 1912-01-01, where Republic-of-China
// years begin, and no later than 9999-12-31. Returns why the date is refused, or
// nullopt for a good one.
std::optional<std::string> date_refusal(long long year, long long month, long long day);

// A day as owners and bookkeepers type it: 2026-11-01, 2026/11/01, or in the
// Republic-of-China form 115/11/01 (a year of one to three digits counts from 1911); a
// month or day may have one digit, and spaces around the whole are passed over. The day
// as YYYY-MM-DD, or nullopt when `text` is in none of these forms or names no real day
// from 1912-01-01.
std::optional<std::string> typed_day(std::string_view text);

// The date in the Republic-of-China form receipts and bookkeepers use: "115/12/07".
std::string roc_date_text(int year, int month, int day);
// "2025-03-09" as "114/03/09"; text that is no such date, or a date before the
// Republic-of-China years, comes back as it is.
std::string roc_date_text(std::string_view iso_date);

}  // namespace request_rules
