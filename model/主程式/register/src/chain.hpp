#pragma once

#include "sqlite.hpp"

#include <receipt_register/register_check.hpp>

// The register's chain of records: each receipt issued and each void is appended, never
// changed, with a SHA-256 over the previous record's and the receipt's fields, so that a
// row deleted or edited behind the program's back shows. It shows only edits made
// without recomputing every later record; it is a check against slips and naive
// tampering, not a signature.
namespace receipt_register::chain {

enum class Event { issued, voided };

// Appends the record of `event` for receipt `number`, from its row as it is now. Call it
// inside the transaction that made the change.
void append(sqlite::Connection& connection, long long number, Event event);

// Appends records for every issued and void receipt, by number: how a register of the
// first schema starts its chain. Inside the upgrade's transaction.
void start(sqlite::Connection& connection);

// Walks the chain against the rows, and finds the numbers missing between registered ones.
Register_Check check(const sqlite::Connection& connection);

}  // namespace receipt_register::chain
