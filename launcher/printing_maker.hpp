#pragma once

#include <receipt_channels/worker_entry.hpp>

#include <string>

// A receipt maker that prints each receipt as soon as it is written, one copy. A print
// that fails does not undo the receipt, which is written and registered: it becomes a
// warning about that receipt, "not printed: <why>".
class Printing_Maker : public Receipt_Maker {
public:
    // Prints on `printer`, or on the default printer when it is empty.
    Printing_Maker(Receipt_Maker& maker, std::string printer) : maker_(maker), printer_(std::move(printer)) {}

    ReceiptOutcome make(const nlohmann::json& request) override;

private:
    Receipt_Maker& maker_;
    std::string printer_;
};
