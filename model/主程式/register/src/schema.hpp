#pragma once

#include "sqlite.hpp"

// The register's tables and how a file gets them. The file's user_version holds the
// schema version and its application_id marks it as a receipt register.
namespace receipt_register::schema {

inline constexpr int kVersion = 1;

// Throws Register_Error when the file belongs to another program or was written by a
// newer version of this one. Reads only, so such a file is never changed.
void refuse_foreign_or_newer(const sqlite::Connection& connection);

// Creates the tables in a new file, or brings an older schema up to kVersion, in one
// transaction.
void bring_up_to_date(sqlite::Connection& connection);

}  // namespace receipt_register::schema
