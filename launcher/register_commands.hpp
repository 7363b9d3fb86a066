#pragma once

#include <optional>
#include <ostream>
#include <string>

// The commands that read and change the receipt register in the receipt folder under
// the program's root folder. Each returns the exit status: 0 done, 1 failed. Failures
// of the register itself are thrown as receipt_register::Register_Error.

struct List_Options {
    std::optional<std::string> from, to;  // YYYY-MM-DD, both ends included
    bool by_record_date = false;          // from and to compare the day recorded, not the date printed
    std::string buyer;                    // a part of the buyer's name; empty for all
    std::optional<std::string> csv;       // a file to write CSV to, or "-" for `out`
    std::optional<std::string> xlsx;      // a file to write an .xlsx workbook to
    bool force = false;                   // the CSV or .xlsx file may replace an existing file
};

// The receipts as a table on `out`, or as CSV or an .xlsx workbook for a spreadsheet,
// and how many receipt PDFs in the folder the register does not know. The CSV or .xlsx
// file is refused inside the receipt folder, and when it exists unless options.force.
int list_receipts(const List_Options& options, std::ostream& out, std::ostream& notes, std::ostream& errors);

// Marks receipt `number` void for `reason`; its PDF stays as it is.
int void_receipt(long long number, const std::string& reason, std::ostream& out, std::ostream& errors);

// Checks that every issued receipt's PDF is there with its recorded SHA-256, names
// each one that is missing or changed, and says, as list does, how many receipt PDFs
// in the folder the register does not know; only missing or changed ones fail.
int verify_receipts(std::ostream& out, std::ostream& errors);
