#include <receipt_register/monthly_totals.hpp>
#include <receipt_register/receipt_files.hpp>

#include "read_only.hpp"
#include "schema.hpp"
#include "sqlite.hpp"

#include <platform/root_folder.hpp>

#include <cstdio>
#include <filesystem>

namespace receipt_register {

namespace {

// Each receipt with the date it counts on.
const std::string kCountedReceipts =
    std::string("SELECT ") + schema::kReceiptDay + " AS day, buyer, tax_number, status, total FROM receipts WHERE status != 'pending'";

std::string day_text(int year, int month, int day) {
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", year, month, day);
    return text;
}

}  // namespace

std::vector<Month_Total> monthly_totals(const std::string& folder, const Totals_Filter& filter) {
    const std::string path = folder + std::string(kRegisterFileName);
    std::error_code ec;
    if (!std::filesystem::exists(platform::to_path(path), ec)) return {};
    const auto connection = connect_read_only(path);
    const sqlite::Connection& book = *connection;

    const std::string buyer_columns = filter.by_buyer ? "buyer, tax_number" : "'', ''";
    const std::string query_text =
        "SELECT substr(day, 1, 4), substr(day, 6, 2), " + buyer_columns +
        ", sum(status = 'issued'), sum(status = 'void'), coalesce(sum(CASE WHEN status = 'issued' THEN total END), 0)"
        " FROM (" + kCountedReceipts + ") WHERE day >= ?1 AND day <= ?2 GROUP BY substr(day, 1, 7)" +
        (filter.by_buyer ? ", buyer, tax_number ORDER BY substr(day, 1, 7), 7 DESC, buyer" : " ORDER BY substr(day, 1, 7)");
    sqlite::Statement query(book, query_text);
    // Dates are YYYY-MM-DD, so text order is date order; "~" sorts after every digit.
    std::string from, to = "~";
    if (filter.year) {
        from = day_text(*filter.year, filter.month.value_or(1), 1);
        to = day_text(*filter.year, filter.month.value_or(12), 31);
    }
    query.bind(1, from).bind(2, to);
    std::vector<Month_Total> totals;
    while (query.step()) {
        Month_Total line;
        line.year = static_cast<int>(std::stol(query.text(0)));
        line.month = static_cast<int>(std::stol(query.text(1)));
        line.buyer = query.text(2);
        line.tax_number = query.text(3);
        line.issued = query.integer(4);
        line.voided = query.integer(5);
        line.total = query.integer(6);
        totals.push_back(std::move(line));
    }
    return totals;
}

}  // namespace receipt_register
