#pragma once

#include <optional>
#include <string>
#include <vector>

namespace receipt_register {

// Which receipts the totals count, by the date printed on them.
struct Totals_Filter {
    std::optional<int> year;   // Gregorian
    std::optional<int> month;  // 1 to 12; with `year` only
    bool by_buyer = false;     // one line per month and buyer
};

// One month's receipts, or one buyer's within a month.
struct Month_Total {
    int year = 0, month = 0;
    std::string buyer, tax_number;  // with by_buyer only
    long long issued = 0, voided = 0;
    long long total = 0;  // of the issued receipts; a void receipt counts for nothing
};

// The totals of the register in the receipt folder `folder` (ending in "/"), by month
// of the receipt date, the earliest first; by buyer within a month, the largest total
// first. A receipt printed without a date counts in the month it was made. Nothing
// when the folder has no register. Opens the file for reading only; throws
// Register_Error naming it when it cannot be read.
std::vector<Month_Total> monthly_totals(const std::string& folder, const Totals_Filter& filter);

}  // namespace receipt_register
