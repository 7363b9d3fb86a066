#include <receipt_register/receipt_files.hpp>
#include <receipt_register/receipt_register.hpp>

#include "chain.hpp"
#include "read_only.hpp"
#include "schema.hpp"
#include "sqlite.hpp"

#include <platform/private_files.hpp>
#include <platform/root_folder.hpp>

#include <filesystem>
#include <map>

namespace receipt_register {

namespace {

constexpr const char* kColumns =
    "number, status, record_date, receipt_date, buyer, tax_number, total, exemption_seal_asked, "
    "exemption_seal_printed, owner_seal_asked, owner_seal_printed, file_name, sha256, void_reason, voided_at";

Receipt_Status status_of(const std::string& text) {
    return text == "issued" ? Receipt_Status::issued : text == "void" ? Receipt_Status::voided : Receipt_Status::pending;
}

// A row selected with kColumns.
Receipt_Record record_of(const sqlite::Statement& row) {
    Receipt_Record record;
    record.number = row.integer(0);
    record.status = status_of(row.text(1));
    record.record_date = row.text(2);
    record.receipt_date = row.text(3);
    record.buyer = row.text(4);
    record.tax_number = row.text(5);
    record.total = row.integer(6);
    record.exemption_seal_asked = row.integer(7) != 0;
    record.exemption_seal_printed = row.integer(8) != 0;
    record.owner_seal_asked = row.integer(9) != 0;
    record.owner_seal_printed = row.integer(10) != 0;
    record.file_name = row.text(11);
    record.sha256 = row.text(12);
    record.void_reason = row.text(13);
    record.voided_at = row.text(14);
    return record;
}

std::unique_ptr<sqlite::Connection> connect(const std::string& path, int flags) {
    auto connection = std::make_unique<sqlite::Connection>(path, flags | SQLITE_OPEN_NOMUTEX);
    // Another process may hold the file for a moment; waiting beats failing a receipt.
    connection->check(sqlite3_busy_timeout(connection->get(), 30'000), "set its busy time-out");
    // Nothing is changed, not even the journal mode, before the file is known to be ours.
    schema::refuse_unreadable(*connection);
    connection->execute("PRAGMA journal_mode = WAL; PRAGMA synchronous = FULL; PRAGMA foreign_keys = ON");
    schema::bring_up_to_date(*connection);
    return connection;
}

}  // namespace

Receipt_Register::Receipt_Register(std::unique_ptr<sqlite::Connection> connection) : connection_(std::move(connection)) {}
Receipt_Register::Receipt_Register(Receipt_Register&&) noexcept = default;
Receipt_Register& Receipt_Register::operator=(Receipt_Register&&) noexcept = default;
Receipt_Register::~Receipt_Register() = default;

Receipt_Register Receipt_Register::open(const std::string& folder) {
    const std::string path = folder + std::string(kRegisterFileName);
    // Made here rather than by SQLite, so that it and its journal files are this user's
    // only; SQLite gives them the register's own mode.
    try {
        platform::create_private_file(platform::to_path(path));
    } catch (const platform::Error& error) {
        throw Register_Error("receipt register " + path + ": " + error.what());
    }
    return Receipt_Register(connect(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE));
}

std::optional<Receipt_Register> Receipt_Register::open_existing(const std::string& folder) {
    const std::string path = folder + std::string(kRegisterFileName);
    std::error_code ec;
    if (!std::filesystem::exists(platform::to_path(path), ec)) return std::nullopt;
    return Receipt_Register(connect(path, SQLITE_OPEN_READWRITE));
}

std::optional<Receipt_Register> Receipt_Register::open_read_only(const std::string& folder) {
    const std::string path = folder + std::string(kRegisterFileName);
    std::error_code ec;
    if (!std::filesystem::exists(platform::to_path(path), ec)) return std::nullopt;
    return Receipt_Register(connect_read_only(path));
}

const std::string& Receipt_Register::path() const { return connection_->path(); }

bool Receipt_Register::moved() const {
    int moved = 0;
    // A VFS that cannot tell answers with an error; the file is then taken as in place.
    return sqlite3_file_control(connection_->get(), "main", SQLITE_FCNTL_HAS_MOVED, &moved) == SQLITE_OK && moved != 0;
}

long long Receipt_Register::highest_number() {
    sqlite::Statement query(*connection_, "SELECT coalesce(max(number), 0) FROM receipts");
    query.step();
    return query.integer(0);
}

void Receipt_Register::add_pending(const Receipt_Record& record) {
    sqlite::Transaction transaction(*connection_);
    sqlite::Statement insert(*connection_, std::string("INSERT INTO receipts (") + kColumns +
                                               ") VALUES (?1, 'pending', ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, '', '')");
    insert.bind(1, record.number).bind(2, record.record_date).bind(3, record.receipt_date).bind(4, record.buyer);
    insert.bind(5, record.tax_number).bind(6, record.total).bind(7, record.exemption_seal_asked ? 1LL : 0LL);
    insert.bind(8, record.exemption_seal_printed ? 1LL : 0LL).bind(9, record.owner_seal_asked ? 1LL : 0LL);
    insert.bind(10, record.owner_seal_printed ? 1LL : 0LL).bind(11, record.file_name).bind(12, record.sha256);
    insert.run();
    sqlite::Statement row(*connection_,
                          "INSERT INTO receipt_rows (number, position, name, quantity, unit_price, amount) VALUES (?1, ?2, ?3, ?4, ?5, ?6)");
    for (std::size_t i = 0; i < record.rows.size(); ++i) {
        const Product_Row& product = record.rows[i];
        row.bind(1, record.number).bind(2, static_cast<long long>(i + 1)).bind(3, product.name);
        row.bind(4, product.quantity).bind(5, product.unit_price).bind(6, product.amount);
        row.run();
    }
    transaction.commit();
}

void Receipt_Register::mark_issued(long long number) {
    sqlite::Transaction transaction(*connection_);
    sqlite::Statement(*connection_, "UPDATE receipts SET status = 'issued' WHERE number = ?1 AND status = 'pending'")
        .bind(1, number)
        .run();
    if (sqlite3_changes(connection_->get()) > 0) chain::append(*connection_, number, chain::Event::issued);
    transaction.commit();
}

void Receipt_Register::remove_pending(long long number) {
    sqlite::Statement(*connection_, "DELETE FROM receipts WHERE number = ?1 AND status = 'pending'").bind(1, number).run();
}

std::vector<Receipt_Record> Receipt_Register::pending() {
    sqlite::Statement query(*connection_, std::string("SELECT ") + kColumns + " FROM receipts WHERE status = 'pending'");
    std::vector<Receipt_Record> records;
    while (query.step()) records.push_back(record_of(query));
    return records;
}

void Receipt_Register::void_receipt(long long number, const std::string& reason, const std::string& voided_at) {
    if (reason.find_first_not_of(" \t\r\n") == std::string::npos)
        throw Register_Error("receipt " + number_text(number) + " is not voided: a reason is required");
    sqlite::Transaction transaction(*connection_);
    sqlite::Statement query(*connection_, "SELECT status FROM receipts WHERE number = ?1");
    query.bind(1, number);
    if (!query.step() || status_of(query.text(0)) == Receipt_Status::pending)
        throw Register_Error("there is no receipt number " + number_text(number) + " in the register " + path());
    if (status_of(query.text(0)) == Receipt_Status::voided)
        throw Register_Error("receipt " + number_text(number) + " is void already");
    sqlite::Statement(*connection_, "UPDATE receipts SET status = 'void', void_reason = ?2, voided_at = ?3 WHERE number = ?1")
        .bind(1, number)
        .bind(2, reason)
        .bind(3, voided_at)
        .run();
    chain::append(*connection_, number, chain::Event::voided);
    transaction.commit();
}

std::vector<Receipt_Record> Receipt_Register::receipts(const Receipt_Filter& filter, bool with_pending) {
    // Only the conditions given, so that a listing of everything reads the rows in number
    // order and sorts nothing. The receipt date is spelled as its index is built.
    const std::string day = filter.by_record_date ? "record_date" : schema::kReceiptDay;
    std::string where = "(status != 'pending' OR ?3)";
    if (filter.from) where += " AND " + day + " >= ?1";
    if (filter.to) where += " AND " + day + " <= ?2";
    if (!filter.buyer.empty()) where += " AND buyer LIKE ?4 ESCAPE '\\'";
    sqlite::Statement query(*connection_, std::string("SELECT ") + kColumns + " FROM receipts WHERE " + where + " ORDER BY number");
    query.bind(3, with_pending ? 1LL : 0LL);
    if (filter.from) query.bind(1, *filter.from);
    if (filter.to) query.bind(2, *filter.to);
    if (!filter.buyer.empty()) {
        // The buyer's text is matched as it is: LIKE's own wildcards in it are escaped.
        std::string pattern = "%";
        for (const char c : filter.buyer) {
            if (c == '%' || c == '_' || c == '\\') pattern += '\\';
            pattern += c;
        }
        query.bind(4, pattern + "%");
    }
    std::vector<Receipt_Record> records;
    std::map<long long, std::size_t> index;
    while (query.step()) {
        index[query.integer(0)] = records.size();
        records.push_back(record_of(query));
    }
    if (records.empty()) return records;
    sqlite::Statement rows(*connection_,
                           "SELECT number, name, quantity, unit_price, amount FROM receipt_rows WHERE number BETWEEN ?1 AND ?2 "
                           "ORDER BY number, position");
    rows.bind(1, records.front().number).bind(2, records.back().number);
    while (rows.step()) {
        const auto found = index.find(rows.integer(0));
        if (found == index.end()) continue;
        records[found->second].rows.push_back({rows.text(1), rows.integer(2), rows.integer(3), rows.integer(4)});
    }
    return records;
}

std::vector<std::string> Receipt_Register::file_names() {
    sqlite::Statement query(*connection_, "SELECT file_name FROM receipts");
    std::vector<std::string> names;
    while (query.step()) names.push_back(query.text(0));
    return names;
}

std::optional<Receipt_Record> Receipt_Register::receipt(long long number) {
    sqlite::Statement query(*connection_,
                            std::string("SELECT ") + kColumns + " FROM receipts WHERE number = ?1 AND status != 'pending'");
    query.bind(1, number);
    if (!query.step()) return std::nullopt;
    return record_of(query);
}

Register_Check Receipt_Register::check() { return chain::check(*connection_); }

std::vector<Known_Buyer> Receipt_Register::buyers() {
    sqlite::Statement query(*connection_, R"sql(
SELECT buyer,
       (SELECT tax_number FROM receipts AS earlier
         WHERE earlier.buyer = latest.buyer AND earlier.tax_number != '' AND earlier.status != 'pending'
         ORDER BY earlier.number DESC LIMIT 1)
  FROM receipts AS latest
 WHERE buyer != '' AND status != 'pending'
 GROUP BY buyer
 ORDER BY max(number) DESC)sql");
    std::vector<Known_Buyer> buyers;
    while (query.step()) buyers.push_back({query.text(0), query.text(1)});
    return buyers;
}

}  // namespace receipt_register
