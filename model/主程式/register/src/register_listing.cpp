#include <receipt_register/receipt_files.hpp>
#include <receipt_register/register_listing.hpp>

#include "schema.hpp"
#include "sqlite.hpp"

#include <platform/root_folder.hpp>

#include <filesystem>

namespace receipt_register {

std::vector<Listed_Receipt> listed_receipts(const std::string& folder) {
    const std::string path = folder + std::string(kRegisterFileName);
    std::error_code ec;
    if (!std::filesystem::exists(platform::to_path(path), ec)) return {};
    sqlite::Connection book(path, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX);
    book.check(sqlite3_busy_timeout(book.get(), 30'000), "set its busy time-out");
    schema::refuse_unreadable(book);
    // The primary key walked backwards: no sort, however long the register.
    sqlite::Statement query(book, R"sql(
SELECT number, CASE WHEN receipt_date != '' THEN receipt_date ELSE record_date END, buyer, tax_number, total,
       status = 'void', file_name
  FROM receipts
 WHERE status != 'pending'
 ORDER BY number DESC)sql");
    std::vector<Listed_Receipt> receipts;
    while (query.step())
        receipts.push_back({query.integer(0), query.text(1), query.text(2), query.text(3), query.integer(4),
                            query.integer(5) != 0, query.text(6)});
    return receipts;
}

}  // namespace receipt_register
