#pragma once

#include <optional>
#include <string>
#include <string_view>

// Where receipts and their register live, as every part of the program names them.
namespace receipt_register {

// The prefix of every receipt's file name, followed by its number.
inline constexpr std::string_view kReceiptPrefix = "免用統一發票收據";
// The register's file, in the receipt folder so that backing the folder up keeps both.
inline constexpr std::string_view kRegisterFileName = "收據登記簿.sqlite3";
// Beside the register; every process that numbers receipts locks it.
inline constexpr std::string_view kLockFileName = "收據登記簿.lock";
// The folder of seal pictures inside the receipt folder.
inline constexpr std::string_view kSealFolderName = "印章";
// What names a receipt's scratch folder inside the receipt folder.
inline constexpr std::string_view kScratchPrefix = ".收據暫存-";

// A receipt number as it is printed and named: six digits at least, "000123".
std::string number_text(long long number);

// 免用統一發票收據/ under the program's root folder, ending in "/".
std::string receipt_folder();

// The number in `file_name` when it is named as this program names receipts: `prefix`,
// six or more ASCII digits, then " - " or ".pdf". nullopt for every other name, and for
// digits too many for a number; such names take no part in numbering.
std::optional<long long> receipt_number_of(std::string_view file_name, std::string_view prefix = kReceiptPrefix);

// Whether `name`, in the receipt folder, is one of the program's own files or folders
// there: the register and its journal files, the lock, the seal folder, a scratch folder.
bool is_program_file(std::string_view name);

// Whether `name` names a file in the folder it is joined to and nowhere else: not empty,
// not "." or "..", and without a separator, a drive or a NUL. A register's file name is
// read only when it is, so that a changed register cannot have a receipt read elsewhere.
bool is_plain_file_name(std::string_view name);

// Whether `file_name` is named as a receipt PDF of this program: as receipt_number_of
// reads it, and ending in ".pdf".
bool is_receipt_pdf(std::string_view file_name);

}  // namespace receipt_register
