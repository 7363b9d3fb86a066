#include "send_refusal.hpp"

#include <receipt_channels/request_rules.hpp>

namespace receipt_window {

std::optional<std::string> send_refusal(const Receipt_Rows& rows, const std::string& buyer, const std::string& tax_number,
                                        const nlohmann::ordered_json& parameters) {
    if (!rows.unreadable.empty()) {
        const Unreadable_Cell& first = rows.unreadable.front();
        return std::string(first.column == 1 ? "商品數量" : "商品單價") + " in row " + std::to_string(first.row + 1) +
               " is not a whole number";
    }
    if (rows.overflow)
        return "the total is far above " + std::to_string(request_rules::kLargestTotal) +
               ", the most the receipt's six cells can show";
    if (auto refusal = request_rules::total_refusal(decimal_text(rows.total))) return refusal;
    if (auto refusal = request_rules::buyer_refusal(buyer)) return refusal;
    if (!request_rules::printed_tax_number(tax_number)) return request_rules::tax_number_refusal(tax_number);
    return request_rules::date_refusal(parameters.at("年").get<long long>(), parameters.at("月").get<long long>(),
                                       parameters.at("日").get<long long>());
}

}  // namespace receipt_window
