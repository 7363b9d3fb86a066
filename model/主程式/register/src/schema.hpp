#pragma once

#include "sqlite.hpp"

// The register's tables and how a file gets them. The file's user_version holds the
// schema version and its application_id marks it as a receipt register.
namespace receipt_register::schema {

inline constexpr int kVersion = 3;

// The date a receipt counts on: the one printed on it, else the day it was made. Queries
// spell it exactly so, for SQLite to use the index built on it.
inline constexpr const char* kReceiptDay = "(CASE WHEN receipt_date != '' THEN receipt_date ELSE record_date END)";

// Throws Register_Error, in one sentence naming the file, unless it is new and empty or a
// receipt register of a schema version this program reads, with its tables: a file of
// another program, of a newer version, or damaged. Reads only, so such a file is never
// changed.
void refuse_unreadable(const sqlite::Connection& connection);

// Creates the tables in a new file, or brings an older schema up to kVersion, in one
// transaction.
void bring_up_to_date(sqlite::Connection& connection);

}  // namespace receipt_register::schema
