#pragma once

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

namespace receipt_window {

// Wide enough for any product of two 64-bit numbers.
__extension__ typedef __int128 Amount;

// `amount` in decimal digits, with a minus sign when negative.
std::string decimal_text(Amount amount);

// A quantity or unit price that is filled but does not read as a whole number.
struct Unreadable_Cell {
    std::size_t row = 0;  // from 0
    int column = 0;       // in the table: 1 the quantity, 2 the unit price
    bool operator==(const Unreadable_Cell&) const = default;
};

// The product rows of the table, read the way the output button sends them.
struct Receipt_Rows {
    nlohmann::json names = nlohmann::json::array();
    nlohmann::json quantities = nlohmann::json::array();
    nlohmann::json unit_prices = nlohmann::json::array();
    // The unreadable cells of rows that would be sent, row by row; a table with any
    // must not become a receipt.
    std::vector<Unreadable_Cell> unreadable;
    // The sum over the rows whose quantity and unit price are both filled.
    Amount total = 0;
    // The sum left the range of Amount.
    bool overflow = false;
};

// Reads `table` (names, quantities and unit prices, row 0 first). A row is sent when
// it has a name, or a quantity and a unit price; a number it lacks is sent as 0.
// Throws std::out_of_range when the table has fewer than three columns or a row
// lacks a cell.
Receipt_Rows read_rows(const std::vector<std::vector<std::string>>& table);

}  // namespace receipt_window
