#pragma once

#include <receipt_register/register_error.hpp>

#include <sqlite3.h>

#include <memory>
#include <string>
#include <string_view>

// Small RAII types over the SQLite C interface. Every result code goes through one
// check, which turns failures into Register_Error naming the database file.
namespace receipt_register::sqlite {

class Connection {
public:
    // Opens `path` with sqlite3_open_v2 `flags`, or the URI `uri` naming it when given
    // (with SQLITE_OPEN_URI in `flags`); throws Register_Error naming `path` when it cannot.
    Connection(const std::string& path, int flags, const std::string& uri = "");

    sqlite3* get() const { return db_.get(); }
    const std::string& path() const { return path_; }

    // Runs statements that return no rows.
    void execute(const char* sql);
    // The same, naming the statements by `what` in errors rather than by their text.
    void execute(const char* sql, std::string_view what);
    // Throws Register_Error "<path>: cannot <what>: <SQLite's message>" unless `rc` is
    // SQLITE_OK, SQLITE_ROW or SQLITE_DONE.
    void check(int rc, std::string_view what) const;

private:
    struct Close {
        void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
    };
    std::unique_ptr<sqlite3, Close> db_;
    std::string path_;
};

// One prepared statement; parameters are numbered from 1, columns from 0.
class Statement {
public:
    Statement(const Connection& connection, std::string_view sql);

    Statement& bind(int index, long long value);
    Statement& bind(int index, std::string_view text);
    // True while a row is ready; false once the statement is done.
    bool step();
    // Runs a statement that returns no rows, then readies it to run again.
    void run();

    long long integer(int column) const;
    std::string text(int column) const;

private:
    struct Finalize {
        void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
    };
    const Connection& connection_;
    std::unique_ptr<sqlite3_stmt, Finalize> statement_;
};

// BEGIN IMMEDIATE, so a writer waits for others at the start rather than failing
// half-way; rolled back unless committed.
class Transaction {
public:
    explicit Transaction(Connection& connection);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void commit();

private:
    Connection& connection_;
    bool open_ = true;
};

}  // namespace receipt_register::sqlite
