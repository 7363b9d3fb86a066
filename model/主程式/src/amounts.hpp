#pragma once

#include "request.hpp"

#include <receipt_channels/request_rules.hpp>

#include <array>
#include <string>
#include <vector>

namespace receipt_worker {

// Rows the receipt template prints, and the largest total its six numeral cells hold.
inline constexpr std::size_t kPrintedRows = 7;
inline constexpr long long kLargestTotal = request_rules::kLargestTotal;

// The product rows as printed, with each row's amount and the total.
struct ProductRows {
    std::array<std::string, kPrintedRows> names, quantities, unit_prices, amounts;
    long long total = 0;
};

// Throws std::runtime_error for 品名, 數量 and 單件價格 lists of different lengths,
// more rows than the template prints, a quantity or unit price that does not read as
// a whole number, or a total below 0 or above kLargestTotal: a receipt never shows a
// row or a total it does not count and record.
ProductRows product_rows(const ReceiptRequest& request);

// The total right-aligned in six cells of 零壹貳參肆伍陸柒捌玖, "-" to its left.
std::array<std::string, 6> numeral_cells(long long total);

// Republic-of-China year, month and day; three empty cells when the date is hidden.
std::array<std::string, 3> date_cells(const Date& date, bool show_date);

// The first eight characters of the tax number, one per cell.
std::array<std::string, 8> tax_number_cells(const std::string& tax_number);
// The order in which the tax-number cells are queued: filled cells ascending, then
// the empty ones from the last down.
std::vector<int> tax_number_order(const std::string& tax_number);

}  // namespace receipt_worker
