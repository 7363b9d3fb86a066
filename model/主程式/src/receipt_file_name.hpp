#pragma once

#include "request.hpp"

#include <cstddef>
#include <string>
#include <string_view>

namespace receipt_worker {

// The most bytes a file name may have on the file systems receipts are written to.
inline constexpr std::size_t kLongestFileName = 255;

// Bytes a receipt's name keeps free, beyond its longest extension ".docx", for
// temporary files named after it while it is written: whoever makes such a name by
// adding to a receipt's name adds no more than this. (The engine and the converter
// name their own temporary files no longer than the final name.)
inline constexpr std::size_t kTemporaryNameMargin = 32;

// The most bytes of a receipt's file name without its extension.
inline constexpr std::size_t kLongestReceiptName =
    kLongestFileName - kTemporaryNameMargin - std::string_view(".docx").size();

// "免用統一發票收據000042 - 買受人：…；統一編號：…（記錄日期：2025年01月05日）". In the
// name only, every character a file name cannot hold here or on Windows (path
// separators, : * ? " < > |, control and bidirectional-formatting characters,
// bytes that are not UTF-8) becomes "_", and the buyer is cut short, on a character
// boundary, so that the name fits kLongestReceiptName.
std::string receipt_file_name(long long number, const std::string& buyer, const std::string& tax_number,
                              const Date& record_date);

}  // namespace receipt_worker
