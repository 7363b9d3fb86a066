#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace receipt_register {

// What the register's own records say of it, apart from the PDFs.
struct Register_Check {
    // Whether the register keeps a chain of records at all: one of an older schema,
    // read without being brought up to date, does not.
    bool chained = false;
    // How many records were walked: all the chain holds, or those up to the one that
    // breaks it.
    long long records = 0;
    // The first record that does not match the register as it now is, named with its
    // receipt and why; nullopt when the chain holds.
    std::optional<std::string> broken;
    // Runs of numbers, first and last, between the lowest and the highest in the
    // register that it does not hold: every number given is registered, so each is a
    // row removed.
    std::vector<std::pair<long long, long long>> missing_numbers;
};

}  // namespace receipt_register
