#pragma once

#include <receipt_channels/channels.hpp>

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

// How the launcher reaches into the receipt worker module.

// What became of one request.
struct ReceiptOutcome {
    bool written = false;
    std::string pdf_path;  // when written
    std::string error;     // when not
    long long number = 0;  // the receipt number, when written
    // What the receipt lacks or what the owner should look at, when written.
    std::vector<std::string> warnings;
};

// As it travels on the queue "outcome"; keys that are missing keep their defaults.
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE_WITH_DEFAULT(ReceiptOutcome, written, pdf_path, error, number, warnings)

// A look at the receipt a request would make, asked for on queue "preview" as
// {"id": n, "request": {...}} and answered on queue "preview_done". The PDF carries no
// number and a 預覽 mark, is in the worker's temporary folder, and is the taker's to
// remove.
struct PreviewOutcome {
    long long id = 0;
    bool made = false;
    std::string pdf_path;  // when made
    std::string error;     // when not
};

NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE_WITH_DEFAULT(PreviewOutcome, id, made, pdf_path, error)

// Makes receipts one at a time, synchronously, with the same pass as `receipt`.
class Receipt_Maker {
public:
    virtual ~Receipt_Maker() = default;
    virtual ReceiptOutcome make(const nlohmann::json& request) = 0;
};

// Entry points exported by the module, looked up by these names.
inline constexpr const char* kReceiptEntry = "receipt";
inline constexpr const char* kNewReceiptMakerEntry = "new_receipt_maker";

extern "C" {
// Runs the worker until the window asks it to end.
using ReceiptFunction = void(Queue_All_variable&, Event_All_variable&);
// A maker owned by the caller; it prepares folders, notice and template first.
using NewReceiptMakerFunction = Receipt_Maker*();
}
