#pragma once

#include "request.hpp"

#include <string>

namespace receipt_worker {

// One more than the largest receipt number found behind `name` among the entries of
// the folder `data_path`, or 1. The six characters after the prefix are read as a
// whole number; six digits followed by more digits are read as the whole run, so
// numbering goes on past 999999. Throws std::filesystem::filesystem_error when the
// folder cannot be listed.
long long data_name_number(const std::string& name, const std::string& data_path);

// "免用統一發票收據000042 - 買受人：…；統一編號：…（記錄日期：2025年01月05日）".
// Throws std::runtime_error when the buyer or tax number holds what a file name
// cannot hold (a path separator, "..", or a character Windows refuses).
std::string receipt_file_name(long long number, const std::string& buyer, const std::string& tax_number,
                              const Date& record_date);

}  // namespace receipt_worker
