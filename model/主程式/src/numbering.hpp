#pragma once

#include "request.hpp"

#include <string>

namespace receipt_worker {

// One more than the largest receipt number found behind `name` among the entries of
// the folder `data_path`, or 1. Only names as the program writes them count (see
// receipt_register::receipt_number_of), so that a stray file cannot move the numbering;
// the digit run is read whole, so numbering goes on past 999999. Throws std::filesystem::filesystem_error when the
// folder cannot be listed, and as number_after does when an entry has the largest
// number.
long long data_name_number(const std::string& name, const std::string& data_path);

// The number after `highest`, which `holder` (a file, the register) has. Throws
// std::runtime_error beginning "no receipt number is left" when `highest` is the
// largest a number can be: the next would wrap around, or reuse it.
long long number_after(long long highest, const std::string& holder);

}  // namespace receipt_worker
