#include "amounts.hpp"

#include <bounded_input/cut.hpp>
#include <i18n/tr.hpp>
#include <receipt_channels/utf8.hpp>
#include <receipt_channels/whole_number.hpp>

#include <stdexcept>

namespace receipt_worker {
namespace {

long long whole_number(const nlohmann::json& value, const char* column, std::size_t row) {
    if (value.is_number_integer()) return value.get<long long>();
    const std::string text = value.is_string() ? value.get<std::string>() : value.dump();
    if (const auto number = read_whole_number(text)) return *number;
    throw std::runtime_error(i18n::tr("{1} of row {2} '{3}' is not a whole number",
                                      {column, std::to_string(row + 1), bounded_input::cut(text, 120)}));
}

// Products and sums far beyond any receipt are refused before they could overflow.
bool fits(long double value) { return value > -9.0e18L && value < 9.0e18L; }

std::string text_form(const nlohmann::json& value) {
    return value.is_string() ? value.get<std::string>() : value.dump();
}

}  // namespace

ProductRows product_rows(const ReceiptRequest& request) {
    if (const auto refusal =
            request_rules::row_lists_refusal(request.names.size(), request.quantities.size(), request.unit_prices.size()))
        throw std::runtime_error(*refusal);
    const std::size_t count = request.names.size();
    if (count > kPrintedRows)
        throw std::runtime_error(i18n::tr("the request has {1} product rows; the receipt prints {2}",
                                          {std::to_string(count), std::to_string(kPrintedRows)}));
    ProductRows rows;
    for (std::size_t i = 0; i < count; ++i) {
        rows.names[i] = request.names[i];
        rows.quantities[i] = text_form(request.quantities[i]);
        rows.unit_prices[i] = text_form(request.unit_prices[i]);
        const long long quantity = whole_number(request.quantities[i], "數量", i);
        const long long price = whole_number(request.unit_prices[i], "單件價格", i);
        if (!fits(static_cast<long double>(quantity) * price) ||
            !fits(static_cast<long double>(quantity) * price + rows.total))
            throw std::runtime_error(i18n::tr("the amount of row {1} is too large for a receipt", {std::to_string(i + 1)}));
        const long long amount = quantity * price;
        rows.total += amount;
        rows.amounts[i] = std::to_string(amount);
    }
    if (const auto refusal = request_rules::total_refusal(std::to_string(rows.total))) throw std::runtime_error(*refusal);
    return rows;
}

std::array<std::string, 6> numeral_cells(long long total) {
    static const std::array<std::string, 10> kNumerals = {"零", "壹", "貳", "參", "肆", "伍", "陸", "柒", "捌", "玖"};
    if (total < 0 || total > kLargestTotal)
        throw std::runtime_error(i18n::tr("the total {1} cannot be written in six cells", {std::to_string(total)}));
    std::array<std::string, 6> cells;
    cells.fill("-");
    const std::string digits = std::to_string(total);
    const std::size_t first = cells.size() - digits.size();
    for (std::size_t i = 0; i < digits.size(); ++i) cells[first + i] = kNumerals[digits[i] - '0'];
    return cells;
}

std::array<std::string, 3> date_cells(const Date& date, bool show_date) {
    if (!show_date) return {"", "", ""};
    return {std::to_string(date.year - 1911), std::to_string(date.month), std::to_string(date.day)};
}

std::array<std::string, 8> tax_number_cells(const std::string& tax_number) {
    std::array<std::string, 8> cells;
    const auto characters = utf8_characters(tax_number);
    for (std::size_t j = 0; j < cells.size() && j < characters.size(); ++j) cells[j] = characters[j];
    return cells;
}

std::vector<int> tax_number_order(const std::string& tax_number) {
    const std::size_t length = utf8_characters(tax_number).size();
    std::vector<int> order;
    if (length == 0 || length >= 8) {
        for (int j = 1; j <= 8; ++j) order.push_back(j);
        return order;
    }
    for (int j = 1; j <= static_cast<int>(length); ++j) order.push_back(j);
    for (int j = 8; j > static_cast<int>(length); --j) order.push_back(j);
    return order;
}

}  // namespace receipt_worker
