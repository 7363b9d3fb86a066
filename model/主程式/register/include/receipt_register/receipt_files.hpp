#pragma once

#include <string>
#include <string_view>

// Where receipts and their register live, as every part of the program names them.
namespace receipt_register {

// The prefix of every receipt's file name, followed by its number.
inline constexpr std::string_view kReceiptPrefix = "免用統一發票收據";
// The register's file, in the receipt folder so that backing the folder up keeps both.
inline constexpr std::string_view kRegisterFileName = "收據登記簿.sqlite3";

// A receipt number as it is printed and named: six digits at least, "000123".
std::string number_text(long long number);

// 免用統一發票收據/ under the program's root folder, ending in "/".
std::string receipt_folder();

// Whether `file_name` looks like a receipt PDF of this program: the prefix, at least
// six digits, and ".pdf".
bool is_receipt_pdf(std::string_view file_name);

}  // namespace receipt_register
