#pragma once

#include "sqlite.hpp"

// The register's tables and how a file gets them. The file's user_version holds the
// schema version and its application_id marks it as a receipt register.
namespace receipt_register::schema {

inline constexpr int kVersion = 2;

// Throws Register_Error, in one sentence naming the file, unless it is new and empty or a
// receipt register of a schema version this program reads, with its tables: a file of
// another program, of a newer version, or damaged. Reads only, so such a file is never
// changed.
void refuse_unreadable(const sqlite::Connection& connection);

// Creates the tables in a new file, or brings an older schema up to kVersion, in one
// transaction.
void bring_up_to_date(sqlite::Connection& connection);

}  // namespace receipt_register::schema
