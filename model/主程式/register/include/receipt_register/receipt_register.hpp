#pragma once

#include <receipt_register/receipt_record.hpp>
#include <receipt_register/register_check.hpp>
#include <receipt_register/register_error.hpp>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace receipt_register {

namespace sqlite {
class Connection;
}

// The register of receipts in one receipt folder: an SQLite file (WAL journal,
// synchronous FULL) with one row per receipt number, and a chain of records, one
// appended as each receipt is issued or voided, that shows rows changed behind its back. Numbers are never reused: a row
// stays when its PDF is deleted, and a void receipt keeps its number. One object
// belongs to one thread; several objects and processes may use one file at once.
// Every operation throws Register_Error naming the file when SQLite fails.
class Receipt_Register {
public:
    // Opens the register in `folder` (ending in "/"), creating the file and its tables
    // on first use. Throws Register_Error for a file of another program or of a newer
    // version, which is left as it is.
    static Receipt_Register open(const std::string& folder);
    // The same for a register that already exists; nullopt when `folder` has none, and
    // then nothing is created.
    static std::optional<Receipt_Register> open_existing(const std::string& folder);
    // The same for reading only: the file is never written, and the register is read on
    // read-only media and by a user who may only read. A register of an older schema is
    // read as it is. Only the reading operations may be called on it.
    static std::optional<Receipt_Register> open_read_only(const std::string& folder);

    Receipt_Register(Receipt_Register&&) noexcept;
    Receipt_Register& operator=(Receipt_Register&&) noexcept;
    ~Receipt_Register();

    const std::string& path() const;

    // Whether the file this object opened is no longer the one at its path (deleted,
    // renamed or replaced since): what is written through it would reach no one.
    bool moved() const;

    // The highest number in the register, whatever its status; 0 when it is empty.
    long long highest_number();

    // Records `record` with its rows as pending. Throws when its number is taken.
    void add_pending(const Receipt_Record& record);
    // Pending to issued.
    void mark_issued(long long number);
    // Removes a pending row; an issued or void one is never removed.
    void remove_pending(long long number);
    // Pending rows, without their product rows.
    std::vector<Receipt_Record> pending();

    // Marks an issued receipt void with its reason and time. Throws Register_Error
    // saying so for an unknown number, a receipt already void, or an empty reason.
    void void_receipt(long long number, const std::string& reason, const std::string& voided_at);

    // Issued and void receipts with their rows, by number, that `filter` selects; pending
    // ones too when `with_pending`.
    std::vector<Receipt_Record> receipts(const Receipt_Filter& filter = {}, bool with_pending = false);

    // The PDF file names of every row, pending ones too: what the receipt folder's files
    // are told apart by, read without the rest of each receipt.
    std::vector<std::string> file_names();

    // Issued or void receipt `number`, without its product rows; nullopt when the
    // register has no such receipt (a pending row counts as none).
    std::optional<Receipt_Record> receipt(long long number);

    // Walks the register's chain of records against its rows (see Register_Check).
    Register_Check check();

    // Buyers of issued and void receipts, each once, the most recently served first.
    std::vector<Known_Buyer> buyers();

private:
    explicit Receipt_Register(std::unique_ptr<sqlite::Connection> connection);
    std::unique_ptr<sqlite::Connection> connection_;
};

}  // namespace receipt_register
