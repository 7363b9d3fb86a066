#include "amounts.hpp"

#include <receipt_channels/whole_number.hpp>

#include <gtest/gtest.h>

using namespace receipt_worker;
using nlohmann::json;

namespace {

ReceiptRequest rows(json names, json quantities, json prices) {
    ReceiptRequest request;
    for (const auto& n : names) request.names.push_back(n.get<std::string>());
    for (const auto& q : quantities) request.quantities.push_back(q);
    for (const auto& p : prices) request.unit_prices.push_back(p);
    return request;
}

std::string failure(const ReceiptRequest& request) {
    try {
        product_rows(request);
    } catch (const std::runtime_error& error) {
        return error.what();
    }
    return "";
}

}  // namespace

TEST(WholeNumber, ReadsSignsDigitsUnderscoresAndWhiteSpace) {
    const std::pair<const char*, std::optional<long long>> cases[] = {
        {"42", 42},        {" -7 ", -7},         {"+3", 3},        {"１２", 12},     {"1_000", 1000},
        {"\u3000５\t", 5}, {"007", 7},           {"", {}},         {"  ", {}},      {"2.5", {}},
        {"1,000", {}},     {"1__0", {}},         {"_1", {}},       {"1_", {}},      {"abc", {}},
        {"- 1", {}},       {"+", {}},            {"9223372036854775807", 9223372036854775807LL},
        {"9223372036854775808", {}},             {"-9223372036854775808", INT64_MIN},
    };
    for (const auto& [text, expected] : cases) EXPECT_EQ(read_whole_number(text), expected) << "'" << text << "'";
}

TEST(ProductRows, AmountsAndTotal) {
    const auto three = product_rows(rows({"a", "b", "c"}, {3, "2", " １０ "}, {50, "-5", 1}));
    EXPECT_EQ(three.amounts[0], "150");
    EXPECT_EQ(three.amounts[1], "-10");
    EXPECT_EQ(three.amounts[2], "10");
    EXPECT_EQ(three.total, 150);
    EXPECT_EQ(three.names[3], "");
    EXPECT_EQ(three.quantities[2], " １０ ") << "printed as sent";

    const auto zero = product_rows(rows({"a"}, {0}, {99}));
    EXPECT_EQ(zero.total, 0);
    EXPECT_EQ(product_rows(rows({"a"}, {999999}, {1})).total, 999999);
}

TEST(ProductRows, RefusesWhatTheReceiptCannotShow) {
    const std::pair<ReceiptRequest, const char*> cases[] = {
        {rows({"a"}, {"2.5"}, {10}), "數量 of row 1 '2.5' is not a whole number"},
        {rows({"a", "b"}, {1}, {1, 2}), "品名, 數量 and 單件價格 must be equally long, one entry per product row; they have 2, 1 and 2"},
        // Extra quantities and prices were printed, but neither counted in the total nor recorded.
        {rows({"茶葉"}, {2, "abc"}, {300, 999}), "they have 1, 2 and 2 entries"},
        {rows({"茶葉"}, {2}, {300, 999}), "they have 1, 1 and 2 entries"},
        {rows({"a"}, {1}, {"ten"}), "單件價格 of row 1 'ten' is not a whole number"},
        {rows({"a"}, {1000000}, {1}), "above 999999"},
        {rows({"a"}, {-1}, {10}), "below zero"},
        {rows({"1", "2", "3", "4", "5", "6", "7", "8"}, {1, 1, 1, 1, 1, 1, 1, 1}, {1, 1, 1, 1, 1, 1, 1, 1}),
         "8 product rows; the receipt prints 7"},
        {rows({"a"}, {"9223372036854775807"}, {2}), "too large"},
    };
    for (const auto& [request, message] : cases)
        EXPECT_NE(failure(request).find(message), std::string::npos) << failure(request);
}

TEST(NumeralCells, RightAlignedCapitalNumerals) {
    using Cells = std::array<std::string, 6>;
    EXPECT_EQ(numeral_cells(850), (Cells{"-", "-", "-", "捌", "伍", "零"}));
    EXPECT_EQ(numeral_cells(0), (Cells{"-", "-", "-", "-", "-", "零"}));
    EXPECT_EQ(numeral_cells(999999), (Cells{"玖", "玖", "玖", "玖", "玖", "玖"}));
    EXPECT_EQ(numeral_cells(102030), (Cells{"壹", "零", "貳", "零", "參", "零"}));
    EXPECT_THROW(numeral_cells(1000000), std::runtime_error);
    EXPECT_THROW(numeral_cells(-1), std::runtime_error);
}

TEST(DateCells, RepublicOfChinaYear) {
    using Cells = std::array<std::string, 3>;
    EXPECT_EQ(date_cells({2025, 1, 5}, true), (Cells{"114", "1", "5"}));
    EXPECT_EQ(date_cells({2025, 1, 5}, false), (Cells{"", "", ""}));
}

// A date given is used or refused, never silently replaced by today's.
TEST(DateRule, MissingDateGivesTodayAndABadOneIsRefused) {
    const json base = {{"買受人", ""}, {"買受人統一編號", ""}, {"品名", json::array()}, {"數量", json::array()},
                       {"單件價格", json::array()}, {"存檔路徑", "x"}, {"顯示免用統一發票章", false},
                       {"顯示負責人章", false}, {"顯示日期", true}};
    const Date today{2026, 12, 7};
    const auto date_of = [&](json extra) {
        json request = base;
        request.update(extra);
        const Date d = read_request(request, today).date;
        return std::to_string(d.year) + "-" + std::to_string(d.month) + "-" + std::to_string(d.day);
    };
    EXPECT_EQ(date_of(json::object()), "2026-12-7");
    EXPECT_EQ(date_of({{"年", 2024}, {"月", 2}, {"日", 29}}), "2024-2-29");
    // The day rules themselves are the request rules' own; here, that they refuse.
    EXPECT_THROW(date_of({{"年", 2025}, {"月", 2}, {"日", 30}}), RefusedRequest);
    EXPECT_THROW(date_of({{"年", 1LL << 40}, {"月", 1}, {"日", 1}}), RefusedRequest);
    EXPECT_THROW(date_of({{"年", 2025}, {"月", 1}}), RefusedRequest) << "a date given in part";
    EXPECT_THROW(date_of({{"年", "2025"}, {"月", 1}, {"日", 1}}), UnreadableRequest);
    EXPECT_THROW(date_of({{"年", 2025.0}, {"月", 1}, {"日", 1}}), UnreadableRequest);
}

TEST(RequestReading, UnreadableRequestsNameTheKey) {
    const json good = {{"買受人", "x"}, {"買受人統一編號", ""}, {"品名", {"a"}}, {"數量", {1}}, {"單件價格", {"2"}},
                       {"存檔路徑", "x"}, {"顯示免用統一發票章", true}, {"顯示負責人章", false}, {"顯示日期", true}};
    EXPECT_NO_THROW(read_request(good, {2026, 1, 1}));
    const std::pair<json, const char*> cases[] = {
        {json(nullptr), "not a map"},
        {json::array(), "not a map"},
        {[&] { json r = good; r.erase("存檔路徑"); return r; }(), "\"存檔路徑\""},
        {[&] { json r = good; r["品名"] = "a"; return r; }(), "\"品名\" must be a list"},
        {[&] { json r = good; r["數量"] = {2.5}; return r; }(), "neither text nor a whole number"},
        {[&] { json r = good; r["顯示日期"] = "yes"; return r; }(), "true or false"},
        // Read as 64 bits it would be -1, and -1 x -300 a receipt for 300.
        {[&] { json r = good; r["數量"] = json::parse("[18446744073709551615]"); return r; }(), "too large"},
    };
    for (const auto& [request, message] : cases) {
        try {
            read_request(request, {2026, 1, 1});
            ADD_FAILURE() << request.dump();
        } catch (const UnreadableRequest& error) {
            EXPECT_NE(std::string(error.what()).find(message), std::string::npos) << error.what();
        }
    }
    // A bulky value is quoted by its start only: the reason stays readable.
    json bulky = good;
    bulky["數量"] = json::array({json::array({std::string(100000, 'x'), "甲乙丙"})});
    try {
        read_request(bulky, {2026, 1, 1});
        ADD_FAILURE();
    } catch (const UnreadableRequest& error) {
        const std::string message = error.what();
        EXPECT_LT(message.size(), 200u) << message;
        EXPECT_NE(message.find("[\"xxxx"), std::string::npos) << message;
        EXPECT_NE(message.find("…, which is neither text nor a whole number"), std::string::npos) << message;
    }
}

TEST(TaxNumberCells, CellsAndTheirOrder) {
    using Cells = std::array<std::string, 8>;
    EXPECT_EQ(tax_number_cells("12345678"), (Cells{"1", "2", "3", "4", "5", "6", "7", "8"}));
    EXPECT_EQ(tax_number_cells("1234567890"), (Cells{"1", "2", "3", "4", "5", "6", "7", "8"}));
    EXPECT_EQ(tax_number_cells("１２３４"), (Cells{"１", "２", "３", "４", "", "", "", ""}));
    EXPECT_EQ(tax_number_cells(""), Cells{});
    EXPECT_EQ(tax_number_order("1234"), (std::vector<int>{1, 2, 3, 4, 8, 7, 6, 5}));
    EXPECT_EQ(tax_number_order("１２３４"), (std::vector<int>{1, 2, 3, 4, 8, 7, 6, 5}));
    EXPECT_EQ(tax_number_order(""), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(tax_number_order("123456789"), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8}));
}
