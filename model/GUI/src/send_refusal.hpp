#pragma once

#include "receipt_rows.hpp"

#include <nlohmann/json.hpp>

#include <optional>
#include <string>
#include <vector>

namespace receipt_window {

// Why the window keeps a press from sending, and where the owner should look.
struct Refusal {
    std::string reason;
    // The table's cells at fault (column 0 the name), to be marked.
    std::vector<Unreadable_Cell> cells;
    // The fault is the total of the rows, or the tax number, not one cell.
    bool about_total = false;
    bool about_buyer = false;
    bool about_tax_number = false;
};

// Why a press must not send the receipt, for what the window can know itself: a
// quantity or unit price that does not read, a row with a name and a missing quantity
// or unit price, no product at all, a total the receipt cannot show, a buyer's name
// longer than it can print, a tax number that is not eight digits, a receipt date the
// receipt cannot print. `table` holds the names, quantities and unit prices as typed,
// `rows` what read_rows made of them. nullopt when the request may go; the worker checks
// it again all the same, and keeps taking from other callers the rows this refuses.
std::optional<Refusal> send_refusal(const std::vector<std::vector<std::string>>& table, const Receipt_Rows& rows,
                                    const std::string& buyer, const std::string& tax_number,
                                    const nlohmann::ordered_json& parameters);

}  // namespace receipt_window
