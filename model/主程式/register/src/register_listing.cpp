#include <receipt_register/receipt_files.hpp>
#include <receipt_register/register_listing.hpp>

#include "read_only.hpp"
#include "schema.hpp"
#include "sqlite.hpp"

#include <platform/root_folder.hpp>

#include <filesystem>

namespace receipt_register {

namespace {

// The day a receipt counts on, as in the monthly totals.
constexpr const char* kDay = "CASE WHEN receipt_date != '' THEN receipt_date ELSE record_date END";

bool all_digits(const std::string& text) { return text.find_first_not_of("0123456789") == std::string::npos; }

// Dates are YYYY-MM-DD, so text order is date order; "~" sorts after every digit.
// LIKE ignores the case of ASCII letters; the number is formatted only when the search
// could match it.
std::string selection(const Listing_Filter& filter) {
    std::string where = std::string(" FROM receipts WHERE status != 'pending' AND ") + kDay + " BETWEEN ?1 AND ?2";
    if (filter.text.empty()) return where;
    where += " AND (buyer LIKE ?3 ESCAPE '\\'";
    if (all_digits(filter.text)) where += " OR instr(printf('%06d', number), ?4) > 0";
    return where + ")";
}

// `text` found anywhere, with LIKE's wildcards taken as themselves.
std::string like_pattern(const std::string& text) {
    std::string pattern = "%";
    for (const char c : text) {
        if (c == '%' || c == '_' || c == '\\') pattern += '\\';
        pattern += c;
    }
    return pattern + "%";
}

void bind(sqlite::Statement& query, const Listing_Filter& filter) {
    query.bind(1, filter.from.value_or("")).bind(2, filter.to.value_or("~"));
    if (filter.text.empty()) return;
    query.bind(3, like_pattern(filter.text));
    if (all_digits(filter.text)) query.bind(4, filter.text);
}

}  // namespace

std::optional<Receipt_Listing> Receipt_Listing::open(const std::string& folder) {
    const std::string path = folder + std::string(kRegisterFileName);
    std::error_code ec;
    if (!std::filesystem::exists(platform::to_path(path), ec)) return std::nullopt;
    return Receipt_Listing(connect_read_only(path));
}

Receipt_Listing::Receipt_Listing(std::unique_ptr<sqlite::Connection> connection) : connection_(std::move(connection)) {}
Receipt_Listing::Receipt_Listing(Receipt_Listing&&) noexcept = default;
Receipt_Listing& Receipt_Listing::operator=(Receipt_Listing&&) noexcept = default;
Receipt_Listing::~Receipt_Listing() = default;

std::vector<long long> Receipt_Listing::numbers(const Listing_Filter& filter, Listing_Sum& sum) {
    // The primary key walked backwards: no sort, however long the register.
    sqlite::Statement query(*connection_, "SELECT number, status = 'void', total" + selection(filter) + " ORDER BY number DESC");
    bind(query, filter);
    std::vector<long long> numbers;
    sum = {};
    while (query.step()) {
        numbers.push_back(query.integer(0));
        if (query.integer(1) != 0) {
            ++sum.voided;
        } else {
            ++sum.issued;
            sum.total += query.integer(2);
        }
    }
    return numbers;
}

Listing_Sum Receipt_Listing::sum(const Listing_Filter& filter) {
    sqlite::Statement query(*connection_, "SELECT coalesce(sum(status = 'issued'), 0), coalesce(sum(status = 'void'), 0), "
                                          "coalesce(sum(CASE WHEN status = 'issued' THEN total END), 0)" +
                                              selection(filter));
    bind(query, filter);
    query.step();
    return {query.integer(0), query.integer(1), query.integer(2)};
}

std::vector<Listed_Receipt> Receipt_Listing::receipts(const std::vector<long long>& numbers) {
    sqlite::Statement query(*connection_, std::string("SELECT ") + kDay +
                                              ", buyer, tax_number, total, status = 'void', file_name FROM receipts "
                                              "WHERE number = ?1 AND status != 'pending'");
    std::vector<Listed_Receipt> receipts;
    receipts.reserve(numbers.size());
    for (const long long number : numbers) {
        query.bind(1, number);
        if (query.step())
            receipts.push_back({number, query.text(0), query.text(1), query.text(2), query.integer(3), query.integer(4) != 0,
                                query.text(5)});
        query.run();
    }
    return receipts;
}

}  // namespace receipt_register
