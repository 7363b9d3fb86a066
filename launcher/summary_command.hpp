#pragma once

#include <CLI/CLI.hpp>

#include <optional>
#include <ostream>
#include <string>

// `tarnwickery-receipt summary`: per month of the receipt date, the receipts issued and
// voided and the total of those issued; per buyer too with --by-buyer.
struct Summary_Options {
    std::optional<int> year;  // Gregorian, or a Republic-of-China year below 1912
    std::optional<int> month;
    std::optional<std::string> csv;  // a file to write CSV to, or "-" for `out`
    bool by_buyer = false;
};

CLI::App* add_summary_command(CLI::App& app, Summary_Options& options);

// Writes the totals as a table with a line of totals under it, or as CSV for a
// spreadsheet. Returns the exit status: 0, or 1 when the CSV file cannot be written.
// Throws receipt_register::Register_Error when the register cannot be read.
int run_summary(const Summary_Options& options, std::ostream& out, std::ostream& errors);
