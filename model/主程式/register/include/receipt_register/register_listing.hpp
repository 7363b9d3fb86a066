#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace receipt_register {

namespace sqlite {
class Connection;
}

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

// Which receipts a listing selects.
struct Listing_Filter {
    // Part of the buyer's name or of the six-digit number; letters in either case.
    std::string text;
    // The first and last day (YYYY-MM-DD) receipts count on, either end open.
    std::optional<std::string> from, to;
    bool operator==(const Listing_Filter&) const = default;
};

// Receipts counted: issued ones with their total, void ones apart.
struct Listing_Sum {
    long long issued = 0, voided = 0;
    long long total = 0;
};

// The issued and void receipts of one register, read through a handle of its own that
// never writes. Each call reads the register as it stands then. Selecting is done in
// SQLite and yields numbers only, so that a large register is filtered without copying
// its texts; a page of rows is then read by number. One object belongs to one thread.
class Receipt_Listing {
public:
    // The register in the receipt folder `folder` (ending in "/"); nullopt when there is
    // none. Throws Register_Error naming the file when it cannot be read.
    static std::optional<Receipt_Listing> open(const std::string& folder);

    Receipt_Listing(Receipt_Listing&&) noexcept;
    Receipt_Listing& operator=(Receipt_Listing&&) noexcept;
    ~Receipt_Listing();

    // The numbers of the receipts `filter` selects, the newest first; their sum in `sum`.
    std::vector<long long> numbers(const Listing_Filter& filter, Listing_Sum& sum);
    // The sum alone.
    Listing_Sum sum(const Listing_Filter& filter);
    // The receipts `numbers` name, in that order; a number the register no longer lists
    // is left out. Throws Register_Error naming the file when it cannot be read.
    std::vector<Listed_Receipt> receipts(const std::vector<long long>& numbers);

private:
    explicit Receipt_Listing(std::unique_ptr<sqlite::Connection> connection);
    std::unique_ptr<sqlite::Connection> connection_;
};

}  // namespace receipt_register
