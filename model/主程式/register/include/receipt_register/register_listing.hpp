#pragma once

#include <string>
#include <vector>

namespace receipt_register {

// One issued or void receipt as a list of the register shows it: no product rows.
struct Listed_Receipt {
    long long number = 0;
    // The date printed on the receipt, else the day it was made (YYYY-MM-DD): the day it
    // counts on, as in the monthly totals.
    std::string day;
    std::string buyer;
    std::string tax_number;
    long long total = 0;
    bool voided = false;
    std::string file_name;  // the PDF's name in the receipt folder
};

// The issued and void receipts of the register in the receipt folder `folder` (ending
// in "/"), the newest number first; nothing when the folder has no register. Opens the
// file for reading only; throws Register_Error naming it when it cannot be read.
std::vector<Listed_Receipt> listed_receipts(const std::string& folder);

}  // namespace receipt_register
