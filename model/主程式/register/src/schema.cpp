#include "schema.hpp"

#include "chain.hpp"

#include <i18n/tr.hpp>

#include <array>
#include <string>
#include <utility>

namespace receipt_register::schema {

namespace {

constexpr long long kApplicationId = 0x54524350;

// Step i brings a file from version i to version i + 1; steps are only ever appended.
constexpr std::array<const char*, kVersion> kSteps = {
    R"sql(
CREATE TABLE receipts (
  number INTEGER PRIMARY KEY,
  status TEXT NOT NULL CHECK (status IN ('pending', 'issued', 'void')),
  record_date TEXT NOT NULL,
  receipt_date TEXT NOT NULL,
  buyer TEXT NOT NULL,
  tax_number TEXT NOT NULL,
  total INTEGER NOT NULL,
  exemption_seal_asked INTEGER NOT NULL,
  exemption_seal_printed INTEGER NOT NULL,
  owner_seal_asked INTEGER NOT NULL,
  owner_seal_printed INTEGER NOT NULL,
  file_name TEXT NOT NULL,
  sha256 TEXT NOT NULL,
  void_reason TEXT NOT NULL DEFAULT '',
  voided_at TEXT NOT NULL DEFAULT ''
);
CREATE TABLE receipt_rows (
  number INTEGER NOT NULL REFERENCES receipts (number) ON DELETE CASCADE,
  position INTEGER NOT NULL,
  name TEXT NOT NULL,
  quantity INTEGER NOT NULL,
  unit_price INTEGER NOT NULL,
  amount INTEGER NOT NULL,
  PRIMARY KEY (number, position)
) WITHOUT ROWID;
CREATE INDEX receipts_by_record_date ON receipts (record_date);
CREATE INDEX receipts_by_buyer ON receipts (buyer, number);
)sql",
    R"sql(
CREATE TABLE chain (
  sequence INTEGER PRIMARY KEY,
  number INTEGER NOT NULL,
  event TEXT NOT NULL,
  hash TEXT NOT NULL
);
CREATE TRIGGER chain_is_never_changed BEFORE UPDATE ON chain
  BEGIN SELECT RAISE(ABORT, 'the chain of records is only ever added to'); END;
CREATE TRIGGER chain_is_never_shortened BEFORE DELETE ON chain
  BEGIN SELECT RAISE(ABORT, 'the chain of records is only ever added to'); END;
)sql",
    // Listings and totals select by the date a receipt counts on (kReceiptDay).
    R"sql(
CREATE INDEX receipts_by_receipt_day ON receipts ((CASE WHEN receipt_date != '' THEN receipt_date ELSE record_date END));
)sql",
};

// The tables of each version: those of the one before, and the ones it adds.
constexpr std::array<std::pair<const char*, int>, 3> kTables = {{{"receipts", 1}, {"receipt_rows", 1}, {"chain", 2}}};

long long pragma(const sqlite::Connection& connection, const char* name) {
    sqlite::Statement query(connection, std::string("PRAGMA ") + name);
    query.step();
    return query.integer(0);
}

}  // namespace

void refuse_unreadable(const sqlite::Connection& connection) {
    const long long application = pragma(connection, "application_id");
    const long long version = pragma(connection, "user_version");
    sqlite::Statement tables(connection, "SELECT count(*) FROM sqlite_schema");
    tables.step();
    if (application == 0 && version == 0 && tables.integer(0) == 0) return;  // a new file
    const std::string left = "; it is left as it is";
    if (application != kApplicationId)
        throw Register_Error("receipt register " + connection.path() + " is not a receipt register of this program" + left);
    if (version > kVersion)
        throw Register_Error("receipt register " + connection.path() + " was written by a newer version of this program (schema " +
                             std::to_string(version) + "; this one knows up to " + std::to_string(kVersion) + ")" + left);
    // Every version ever written set its number with its tables, in one transaction.
    if (version < 1)
        throw Register_Error(i18n::tr("receipt register {1} is damaged: its schema version {2} is none this program ever "
                                      "wrote; it is left as it is",
                                      {connection.path(), std::to_string(version)}));
    for (const auto& [table, since] : kTables) {
        if (since > version) continue;
        sqlite::Statement found(connection, "SELECT count(*) FROM sqlite_schema WHERE type = 'table' AND name = ?1");
        found.bind(1, std::string_view(table));
        found.step();
        if (found.integer(0) == 0)
            throw Register_Error(i18n::tr("receipt register {1} is damaged: its table {2} is missing; it is left as it is",
                                          {connection.path(), table}));
    }
}

void bring_up_to_date(sqlite::Connection& connection) {
    // Most opens find the file current and take no write lock at all.
    if (pragma(connection, "user_version") == kVersion) return;
    sqlite::Transaction transaction(connection);
    // Another process may have done it while this one waited for the transaction.
    refuse_unreadable(connection);
    const long long version = pragma(connection, "user_version");
    if (version == kVersion) return;
    for (long long step = version; step < kVersion; ++step)
        connection.execute(kSteps[static_cast<std::size_t>(step)], "bring its tables up to date");
    // The chain starts with the receipts the register holds when it gains it.
    if (version < 2) chain::start(connection);
    connection.execute(("PRAGMA application_id = " + std::to_string(kApplicationId)).c_str());
    connection.execute(("PRAGMA user_version = " + std::to_string(kVersion)).c_str());
    transaction.commit();
}

}  // namespace receipt_register::schema
