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

}  // namespace receipt_worker
