#pragma once

#include <platform/file_lock.hpp>
#include <receipt_register/receipt_register.hpp>

#include <chrono>
#include <functional>
#include <stdexcept>
#include <optional>
#include <string>

namespace receipt_worker {

// The steps of issuing one receipt, in order, each reported once it is done.
enum class Issue_Step {
    numbered,   // the lock is held, the number chosen, the scratch folder made
    saved,      // the filled .docx is in the scratch folder
    converted,  // its PDF is in the scratch folder
    pending,    // the register holds the receipt as pending
    published,  // the PDF has its final name
    issued,     // the register holds the receipt as issued
};

// What a pass hands back once its PDF is in the scratch folder: the receipt's record
// (its number, SHA-256 and status are filled in here) and where that PDF is.
struct Prepared_Receipt {
    receipt_register::Receipt_Record record;
    std::string scratch_pdf;
};

// A receipt under its final name: its record, issued, or still pending when only
// marking it issued failed, with why in `unmarked`. A pending row whose PDF stands is
// marked issued by the next recovery.
struct Issued_Receipt {
    receipt_register::Receipt_Record record;
    std::optional<std::string> unmarked;
};

// How long a pass waits for the numbering lock that another program holds: after
// `notice_after` it calls `on_waiting` once, so that the person waiting learns why;
// after `give_up_after` it fails, having numbered and made nothing.
struct Lock_Patience {
    std::chrono::milliseconds notice_after{2'000};
    std::chrono::milliseconds give_up_after{60'000};
    std::function<void()> on_waiting;
};

// Another program held the numbering lock for longer than a pass waits; no number was
// taken. The message says so and what to do.
class Lock_Timeout : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Gives receipts in one receipt folder their numbers, one at a time across every
// process, under an exclusive lock on the folder's lock file: choosing the number,
// filling and converting in a scratch folder, recording the receipt as pending,
// moving its PDF to its final name and marking it issued. A pass that fails or is
// killed leaves no file under a final name and no row, so its number is free again.
class Receipt_Issuer {
public:
    using Prepare = std::function<Prepared_Receipt(long long number, const std::string& scratch_folder)>;

    // Touches nothing yet; the register is opened on first use.
    explicit Receipt_Issuer(std::string receipt_folder);

    // Under the lock: removes the scratch folders a killed pass left, and settles
    // pending rows (issued when their PDF is in place, removed when it is not). Does
    // nothing while another holds the lock: it, and every pass, recovers first, so
    // starting never waits on another program's receipts. Throws Register_Error or
    // std::filesystem::filesystem_error.
    void recover();

    // Under the lock, waited for as `patience` says: recovers, then numbers the receipt one more than the highest
    // of the folder's receipt files and the register's rows, and hands that number
    // and a scratch folder to `prepare`, which fills and converts the receipt there;
    // when that highest is already the largest number, throws "no receipt number is
    // left" before anything is made.
    // Returns the receipt once its PDF has its final name, even when the register then
    // fails to mark it issued: the receipt exists, and making it again would issue the
    // sale twice. Whatever `prepare` or an earlier step throws is passed on after
    // everything of this receipt has been removed. Throws Lock_Timeout when another
    // program holds the lock for longer than patience.give_up_after.
    Issued_Receipt issue(const Prepare& prepare);

    Lock_Patience patience;

    // Reports a finished step to after_step; `prepare` reports saved and converted.
    void reached(Issue_Step step) const;
    // Runs after each step, with the lock held. Tests end the process here.
    std::function<void(Issue_Step)> after_step;

private:
    receipt_register::Receipt_Register& book();
    platform::FileLock wait_for_lock() const;
    void settle_leftovers();

    std::string folder_;
    std::optional<receipt_register::Receipt_Register> register_;
};

}  // namespace receipt_worker
