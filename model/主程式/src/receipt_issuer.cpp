#include "receipt_issuer.hpp"

#include "numbering.hpp"
#include "scratch_space.hpp"

#include <i18n/tr.hpp>
#include <platform/file_lock.hpp>
#include <platform/publish_file.hpp>
#include <platform/root_folder.hpp>
#include <receipt_register/receipt_files.hpp>
#include <receipt_register/sha256.hpp>

#include <algorithm>
#include <filesystem>
#include <thread>

namespace receipt_worker {

Receipt_Issuer::Receipt_Issuer(std::string receipt_folder) : folder_(std::move(receipt_folder)) {}

receipt_register::Receipt_Register& Receipt_Issuer::book() {
    if (!register_) register_ = receipt_register::Receipt_Register::open(folder_);
    return *register_;
}

void Receipt_Issuer::reached(Issue_Step step) const {
    if (after_step) after_step(step);
}

void Receipt_Issuer::settle_leftovers() {
    // A receipt folder removed and made again while the program runs gets a register of
    // its own: the connection to the removed one would record receipts where no one looks.
    if (register_ && register_->moved()) register_.reset();
    remove_leftover_scratch(folder_);
    for (const auto& record : book().pending()) {
        std::error_code ec;
        if (std::filesystem::exists(platform::to_path(folder_ + record.file_name), ec))
            book().mark_issued(record.number);
        else
            book().remove_pending(record.number);
    }
}

void Receipt_Issuer::recover() {
    const auto lock = platform::FileLock::try_acquire(platform::to_path(folder_ + std::string(receipt_register::kLockFileName)));
    if (lock) settle_leftovers();
}

platform::FileLock Receipt_Issuer::wait_for_lock() const {
    using Clock = std::chrono::steady_clock;
    const auto path = platform::to_path(folder_ + std::string(receipt_register::kLockFileName));
    const Clock::time_point start = Clock::now();
    bool told = false;
    // Polled rather than blocked on, so that the wait can be told about and ended.
    for (auto lock = platform::FileLock::try_acquire(path);; lock = platform::FileLock::try_acquire(path)) {
        if (lock) return std::move(*lock);
        const auto waited = Clock::now() - start;
        if (!told && waited >= patience.notice_after) {
            told = true;
            if (patience.on_waiting) patience.on_waiting();
        }
        if (waited >= patience.give_up_after)
            throw Lock_Timeout(i18n::tr("another program has been writing a receipt in {1} for {2} s, longer than a receipt takes; "
                                        "this receipt was not made. Close the other program, or try again later",
                                        {folder_, std::to_string(std::chrono::duration_cast<std::chrono::seconds>(waited).count())}));
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

Issued_Receipt Receipt_Issuer::issue(const Prepare& prepare) {
    const auto lock = wait_for_lock();
    settle_leftovers();
    const long long number = std::max(data_name_number(std::string(receipt_register::kReceiptPrefix), folder_),
                                      number_after(book().highest_number(), "the register " + book().path()));
    const Scratch_Space scratch(folder_);
    reached(Issue_Step::numbered);

    Prepared_Receipt prepared = prepare(number, scratch.path());
    receipt_register::Receipt_Record& record = prepared.record;
    record.number = number;
    record.sha256 = receipt_register::sha256_of_file(platform::to_path(prepared.scratch_pdf));
    book().add_pending(record);
    reached(Issue_Step::pending);
    try {
        platform::publish_file(platform::to_path(prepared.scratch_pdf), platform::to_path(folder_ + record.file_name));
    } catch (...) {
        try {
            book().remove_pending(number);
        } catch (const receipt_register::Register_Error&) {
            // The next pass settles the row: its PDF is not in place.
        }
        throw;
    }
    reached(Issue_Step::published);
    try {
        book().mark_issued(number);
    } catch (const receipt_register::Register_Error& error) {
        return {std::move(record), error.what()};
    }
    record.status = receipt_register::Receipt_Status::issued;
    reached(Issue_Step::issued);
    return {std::move(record), std::nullopt};
}

}  // namespace receipt_worker
