#pragma once

#include <optional>
#include <string>
#include <vector>

namespace receipt_register {

enum class Receipt_Status {
    pending,  // written before its PDF is moved into place; settled at the next start
    issued,
    voided,
};

struct Product_Row {
    std::string name;
    long long quantity = 0;
    long long unit_price = 0;
    long long amount = 0;
};

// One receipt as the register keeps it.
struct Receipt_Record {
    long long number = 0;
    std::string record_date;   // the day the receipt was made, YYYY-MM-DD
    std::string receipt_date;  // the printed date, YYYY-MM-DD; empty when none is printed
    std::string buyer;
    std::string tax_number;
    std::vector<Product_Row> rows;
    long long total = 0;
    bool exemption_seal_asked = false;
    bool exemption_seal_printed = false;
    bool owner_seal_asked = false;
    bool owner_seal_printed = false;
    std::string file_name;  // the PDF's name in the receipt folder, with ".pdf"
    std::string sha256;     // of the PDF, 64 lower-case hex digits
    Receipt_Status status = Receipt_Status::pending;
    std::string void_reason;
    std::string voided_at;  // local time, "YYYY-MM-DD hh:mm:ss"
};

// Which receipts a listing holds. A receipt is dated by the date printed on it, or by
// the day it was made when none is printed.
struct Receipt_Filter {
    std::optional<std::string> from, to;  // YYYY-MM-DD, both ends included, either end open when not given
    bool by_record_date = false;          // from and to compare the day each receipt was made
    std::string buyer;                    // a part of the buyer's name, any case of Latin letters; empty for all
};

// A buyer named on earlier receipts, with the last tax number given for them (empty
// when none ever was).
struct Known_Buyer {
    std::string buyer;
    std::string tax_number;
};

}  // namespace receipt_register
