#include "sqlite.hpp"

namespace receipt_register::sqlite {

Connection::Connection(const std::string& path, int flags, const std::string& uri) : path_(path) {
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(uri.empty() ? path.c_str() : uri.c_str(), &db, flags, nullptr);
    db_.reset(db);  // closed even when opening failed
    check(rc, "open it");
    sqlite3_extended_result_codes(db, 1);
}

void Connection::execute(const char* sql) { execute(sql, sql); }

void Connection::execute(const char* sql, std::string_view what) {
    check(sqlite3_exec(db_.get(), sql, nullptr, nullptr, nullptr), what);
}

void Connection::check(int rc, std::string_view what) const {
    if (rc == SQLITE_OK || rc == SQLITE_ROW || rc == SQLITE_DONE) return;
    const char* message = db_ ? sqlite3_errmsg(db_.get()) : sqlite3_errstr(rc);
    throw Register_Error("receipt register " + path_ + ": cannot " + std::string(what) + ": " + message);
}

Statement::Statement(const Connection& connection, std::string_view sql) : connection_(connection) {
    sqlite3_stmt* statement = nullptr;
    connection.check(sqlite3_prepare_v2(connection.get(), sql.data(), static_cast<int>(sql.size()), &statement, nullptr),
                     "prepare a query");
    statement_.reset(statement);
}

Statement& Statement::bind(int index, long long value) {
    connection_.check(sqlite3_bind_int64(statement_.get(), index, value), "bind a value");
    return *this;
}

Statement& Statement::bind(int index, std::string_view text) {
    connection_.check(sqlite3_bind_text(statement_.get(), index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT),
                      "bind a value");
    return *this;
}

bool Statement::step() {
    const int rc = sqlite3_step(statement_.get());
    connection_.check(rc, "run a query");
    return rc == SQLITE_ROW;
}

void Statement::run() {
    while (step()) {
    }
    connection_.check(sqlite3_reset(statement_.get()), "reset a query");
}

long long Statement::integer(int column) const { return sqlite3_column_int64(statement_.get(), column); }

std::string Statement::text(int column) const {
    const auto* text = sqlite3_column_text(statement_.get(), column);
    return text ? std::string(reinterpret_cast<const char*>(text), static_cast<std::size_t>(sqlite3_column_bytes(statement_.get(), column)))
                : std::string();
}

Transaction::Transaction(Connection& connection) : connection_(connection) { connection_.execute("BEGIN IMMEDIATE"); }

Transaction::~Transaction() {
    // Only reached when something already failed; that failure is the one reported.
    if (open_) sqlite3_exec(connection_.get(), "ROLLBACK", nullptr, nullptr, nullptr);
}

void Transaction::commit() {
    connection_.execute("COMMIT");
    open_ = false;
}

}  // namespace receipt_register::sqlite
