#pragma once

#include <receipt_register/receipt_record.hpp>

#include <string>
#include <vector>

// The receipts as a bookkeeper reads them, for `list --xlsx` and the receipt book's export.
namespace receipt_register {

// "已開立" or "作廢".
std::string status_text(Receipt_Status status);
// The product names of a receipt's rows, joined by "、".
std::string product_names(const Receipt_Record& record);

// The receipts for a bookkeeper: numbers and tax numbers as text so that leading zeros
// stay, totals as numbers, dates as dates; file names and SHA-256 on a sheet of their
// own, so that the first prints on few pages. The sum counts issued receipts only, and
// is a number, not a formula, like every other cell.
// Throws std::runtime_error naming `file` when it cannot be written.
void write_receipt_workbook(const std::string& file, const std::vector<Receipt_Record>& records);

}  // namespace receipt_register
