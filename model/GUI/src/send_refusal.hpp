#pragma once

#include "receipt_rows.hpp"

#include <nlohmann/json.hpp>

#include <optional>
#include <string>

namespace receipt_window {

// Why a press must not send the receipt, for what the window can know itself: a
// quantity or unit price that does not read, a total the receipt cannot show, a buyer's
// name longer than it can print, a tax number that is not eight digits, a receipt date
// the receipt cannot print. nullopt when the request may go; the worker checks it again
// all the same.
std::optional<std::string> send_refusal(const Receipt_Rows& rows, const std::string& buyer, const std::string& tax_number,
                                        const nlohmann::ordered_json& parameters);

}  // namespace receipt_window
