#pragma once

#include "receipt_issuer.hpp"
#include "request.hpp"
#include "seal_cache.hpp"

#include <docx_loom/docx_loom.hpp>
#include <receipt_channels/channels.hpp>
#include <receipt_channels/worker_entry.hpp>

#include <functional>
#include <optional>
#include <string>

namespace receipt_worker {

// The fixed folders under the program's root folder, each ending in "/".
struct Folders {
    std::string root;
    std::string output;          // 免用統一發票收據/: the receipts, and what numbering scans
    std::string seals;           // 免用統一發票收據/印章/
    std::string working;         // temp/
    std::string notice_folder;   // temp/免用統一發票收據/
    std::string previews;        // temp/預覽/: previews until the window takes them

    static Folders under_root();
};

// The worker's long-lived state: its folders and its one document with the receipt
// template registered. Each pass reopens the template, so nothing carries over.
class Receipt_Job : public Receipt_Maker {
public:
    // Creates the folders (ignoring failures), copies the notice file once, registers
    // the template found in `resource_folder`, and clears up after a pass or a worker
    // that was killed. Throws when the document cannot be created. Starts the PDF converter in the
    // background, warming up on the template.
    explicit Receipt_Job(const std::string& resource_folder);

    // One pass for one request already taken from the queue: every failure is printed
    // and reported in the outcome, never thrown; what the receipt lacks (a seal) or
    // what the owner should check (a tax number's check digit) comes back as warnings.
    ReceiptOutcome make(const nlohmann::json& request) override;

    // A look at the receipt `asked` ({"id": n, "request": {...}}) would make, as the
    // next pass would write it but numbered "No. ------" and marked 預覽: no number is
    // taken, nothing is recorded and nothing is written to the receipt folder. The PDF
    // is left in folders().previews for the taker to remove. Failures come back in the
    // outcome, never thrown. Gives way, returning nothing, when `give_way` says so once
    // the receipt is filled, before the conversion that takes most of the time.
    std::optional<PreviewOutcome> preview(const nlohmann::json& asked, const std::function<bool()>& give_way = {});
    // Removes the previews nobody took.
    void remove_previews() const;

    const Folders& folders() const { return folders_; }
    // Numbers, records and moves each receipt into place.
    Receipt_Issuer& issuer() { return issuer_; }

private:
    Folders folders_;
    Receipt_Issuer issuer_;
    Seal_Cache seals_;
    Docx_Loom::Document document_;
};

// The worker's life: passes until the window sets "end", each reported on the queue
// "outcome", pausing a second after a pass that failed. Event "get_receipt" is set
// while a request is being made or waits, and clear only when the worker is idle.
// Between receipts it makes the newest preview asked for on queue "preview" and
// answers on "preview_done"; a receipt request waiting always comes first.
void run_receipts(Receipt_Job& job, Queue_All_variable& queues, Event_All_variable& events);

}  // namespace receipt_worker
