#pragma once

#include <map>
#include <string>

// The manifest of a backup archive: one line per entry, "<SHA-256>  <name>", as
// sha256sum writes and checks them.
namespace receipt_register::archive_manifest {

// Entry name → SHA-256 (64 lower-case hex digits).
using Entries = std::map<std::string, std::string>;

std::string text_of(const Entries& entries);

// Throws Backup_Error naming `archive` for a line that is not of that form, or an entry
// named twice.
Entries read(const std::string& text, const std::string& archive);

}  // namespace receipt_register::archive_manifest
