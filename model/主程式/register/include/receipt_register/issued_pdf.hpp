#pragma once

#include <stdexcept>
#include <string>

namespace receipt_register {

// A registered receipt that may not go to paper again as it is: a number the register
// does not hold, a void receipt, or a PDF that is missing, unreadable or changed since
// it was issued. The message names the receipt and says why.
class Reprint_Refusal : public std::runtime_error {
public:
    Reprint_Refusal(const std::string& message, std::string reason, bool voided)
        : std::runtime_error(message), reason_(std::move(reason)), voided_(voided) {}

    // Why, without naming the receipt: for a place that already names it.
    const std::string& reason() const noexcept { return reason_; }
    // Whether the receipt was refused only for being void.
    bool voided() const noexcept { return voided_; }

private:
    std::string reason_;
    bool voided_;
};

// A registered receipt's PDF as it was issued.
struct Issued_Pdf {
    std::string path;
    // The bytes checked against the register: print these, not the file read again, so
    // that a change in between cannot slip through.
    std::string content;
};

// Reads receipt `number`'s PDF from the receipt folder `folder` (ending in "/") and checks
// it against the SHA-256 its register recorded; a row still pending counts when its PDF
// stands and matches, as recovery will mark it issued. Throws Reprint_Refusal for a number the
// register does not hold (or no register), a void receipt unless `void_ok`, and a PDF
// that is missing, unreadable or changed; Register_Error when the register cannot be read.
Issued_Pdf read_issued_pdf(const std::string& folder, long long number, bool void_ok);

}  // namespace receipt_register
