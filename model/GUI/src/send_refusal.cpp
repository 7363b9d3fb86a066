#include "send_refusal.hpp"

#include <i18n/tr.hpp>
#include <receipt_channels/request_rules.hpp>

namespace receipt_window {

namespace {

const char* column_name(int column) { return column == 1 ? "商品數量" : "商品單價"; }

// The first row with a name and an empty quantity or unit price: the receipt would
// show the product at 0 without a word.
std::optional<Refusal> missing_number(const std::vector<std::vector<std::string>>& table) {
    const auto& names = table.at(0);
    for (std::size_t row = 0; row < names.size(); ++row) {
        if (names[row].empty()) continue;
        Refusal refusal;
        for (const int column : {1, 2})
            if (table.at(column).at(row).empty()) refusal.cells.push_back({row, column});
        if (refusal.cells.empty()) continue;
        refusal.reason = i18n::tr("{1} in row {2} is empty; a product needs its quantity and unit price",
                                  {column_name(refusal.cells.front().column), std::to_string(row + 1)});
        return refusal;
    }
    return std::nullopt;
}

}  // namespace

std::optional<Refusal> send_refusal(const std::vector<std::vector<std::string>>& table, const Receipt_Rows& rows,
                                    const std::string& buyer, const std::string& tax_number,
                                    const nlohmann::ordered_json& parameters) {
    if (!rows.unreadable.empty()) {
        const Unreadable_Cell& first = rows.unreadable.front();
        return Refusal{i18n::tr("{1} in row {2} is not a whole number",
                                {column_name(first.column), std::to_string(first.row + 1)}),
                       rows.unreadable};
    }
    if (auto refusal = missing_number(table)) return refusal;
    if (rows.names.empty())
        return Refusal{i18n::tr("there is no product to issue; type one in row 1"), {{0, 0}}};
    if (rows.overflow)
        return Refusal{.reason = i18n::tr("the total is far above {1}, the most the receipt's six cells can show",
                                          {std::to_string(request_rules::kLargestTotal)}),
                       .about_total = true};
    if (auto refusal = request_rules::total_refusal(decimal_text(rows.total)))
        return Refusal{.reason = *refusal, .about_total = true};
    if (auto refusal = request_rules::buyer_refusal(buyer)) return Refusal{.reason = *refusal, .about_buyer = true};
    if (!request_rules::printed_tax_number(tax_number))
        return Refusal{.reason = request_rules::tax_number_refusal(tax_number), .about_tax_number = true};
    if (auto refusal = request_rules::date_refusal(parameters.at("年").get<long long>(),
                                                   parameters.at("月").get<long long>(),
                                                   parameters.at("日").get<long long>()))
        return Refusal{.reason = *refusal};
    return std::nullopt;
}

}  // namespace receipt_window
