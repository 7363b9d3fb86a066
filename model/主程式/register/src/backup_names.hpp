#pragma once

#include <receipt_register/receipt_files.hpp>

#include <string>
#include <string_view>

// Names that writing and reading a backup share.
namespace receipt_register::backup_names {

// A file of the receipt folder as the archive names it.
inline std::string entry_of(std::string_view file_name) {
    return std::string(kReceiptPrefix) + "/" + std::string(file_name);
}

}  // namespace receipt_register::backup_names
