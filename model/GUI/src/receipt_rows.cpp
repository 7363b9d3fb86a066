#include "receipt_rows.hpp"

#include <receipt_channels/whole_number.hpp>

#include <algorithm>

namespace receipt_window {

std::string decimal_text(Amount amount) {
    if (amount == 0) return "0";
    const bool negative = amount < 0;
    std::string digits;
    for (; amount != 0; amount /= 10) {
        const int digit = static_cast<int>(amount % 10);
        digits.push_back(static_cast<char>('0' + (digit < 0 ? -digit : digit)));
    }
    if (negative) digits.push_back('-');
    std::reverse(digits.begin(), digits.end());
    return digits;
}

Receipt_Rows read_rows(const std::vector<std::vector<std::string>>& table) {
    Receipt_Rows rows;
    const auto& names = table.at(0);
    const auto& quantities = table.at(1);
    const auto& unit_prices = table.at(2);
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::string& name = names[i];
        const std::string& quantity_text = quantities.at(i);
        const std::string& unit_price_text = unit_prices.at(i);
        const bool has_quantity = !quantity_text.empty();
        const bool has_unit_price = !unit_price_text.empty();
        if (name.empty() && !(has_quantity && has_unit_price)) continue;

        const auto quantity = has_quantity ? read_whole_number(quantity_text) : std::optional<long long>(0);
        const auto unit_price = has_unit_price ? read_whole_number(unit_price_text) : std::optional<long long>(0);
        if (!quantity || !unit_price) {
            if (!quantity) rows.unreadable.push_back({i, 1});
            if (!unit_price) rows.unreadable.push_back({i, 2});
            continue;
        }
        rows.names.push_back(name);
        rows.quantities.push_back(*quantity);
        rows.unit_prices.push_back(*unit_price);
        if (has_quantity && has_unit_price &&
            __builtin_add_overflow(rows.total, static_cast<Amount>(*quantity) * *unit_price, &rows.total))
            rows.overflow = true;
    }
    return rows;
}

}  // namespace receipt_window
