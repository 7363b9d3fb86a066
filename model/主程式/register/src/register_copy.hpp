#pragma once

#include <receipt_register/receipt_record.hpp>

#include <string>
#include <vector>

// The register as a backup holds it: one self-contained SQLite file.
namespace receipt_register::register_copy {

// Copies the register `source` into the new file `copy` through SQLite's online backup
// interface, which reads one consistent state of it however others write meanwhile.
// The copy keeps a rollback journal, so that it is whole without a -wal file beside it.
void make(const std::string& source, const std::string& copy);

struct Registered_Pdf {
    std::string file_name;
    std::string sha256;
    Receipt_Status status = Receipt_Status::pending;
};

// Every receipt of a copy, pending ones too, after SQLite's integrity check. Throws
// Backup_Error naming `archive` when the copy is damaged or no register of this program.
std::vector<Registered_Pdf> receipts_of(const std::string& copy, const std::string& archive);

}  // namespace receipt_register::register_copy
