#pragma once

#include <receipt_register/receipt_files.hpp>

#include <string>
#include <string_view>

// Names that writing and reading a backup share.
namespace receipt_register::backup_names {

// The lock the worker holds from choosing a receipt's number until its row and PDF are
// in place: whoever holds it sees no receipt half written.
inline constexpr std::string_view kNumberingLock = "收據登記簿.lock";

// A file of the receipt folder as the archive names it.
inline std::string entry_of(std::string_view file_name) {
    return std::string(kReceiptPrefix) + "/" + std::string(file_name);
}

}  // namespace receipt_register::backup_names
