#include "register_copy.hpp"

#include "schema.hpp"
#include "sqlite.hpp"

#include <receipt_register/backup.hpp>

#include <i18n/tr.hpp>

#include <memory>

namespace receipt_register::register_copy {

void make(const std::string& source, const std::string& copy) {
    sqlite::Connection from(source, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX);
    from.check(sqlite3_busy_timeout(from.get(), 30'000), "set its busy time-out");
    schema::refuse_unreadable(from);
    sqlite::Connection to(copy, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX);
    struct Finish {
        void operator()(sqlite3_backup* backup) const { sqlite3_backup_finish(backup); }
    };
    std::unique_ptr<sqlite3_backup, Finish> backup(sqlite3_backup_init(to.get(), "main", from.get(), "main"));
    if (!backup) to.check(sqlite3_errcode(to.get()), "copy " + source + " into it");
    // All pages in one step: the copy is of one moment, and a register is small.
    const int rc = sqlite3_backup_step(backup.get(), -1);
    if (rc != SQLITE_DONE) to.check(rc, "copy " + source + " into it");
    to.check(sqlite3_backup_finish(backup.release()), "copy " + source + " into it");
    to.execute("PRAGMA journal_mode = DELETE");
}

std::vector<Registered_Pdf> receipts_of(const std::string& copy, const std::string& archive) {
    const auto damaged = [&](const std::string& why) {
        return Backup_Error(i18n::tr("the archive {1} is damaged or no backup of this program: {2}", {archive, why}));
    };
    try {
        sqlite::Connection book(copy, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX);
        schema::refuse_unreadable(book);
        sqlite::Statement check(book, "PRAGMA integrity_check");
        if (!check.step() || check.text(0) != "ok")
            throw damaged(i18n::tr("its register fails SQLite's integrity check: {1}", {check.text(0)}));
        sqlite::Statement query(book, "SELECT file_name, sha256, status FROM receipts ORDER BY number");
        std::vector<Registered_Pdf> receipts;
        while (query.step()) {
            const std::string status = query.text(2);
            receipts.push_back({query.text(0), query.text(1),
                                status == "issued" ? Receipt_Status::issued
                                : status == "void" ? Receipt_Status::voided
                                                   : Receipt_Status::pending});
        }
        return receipts;
    } catch (const Register_Error& error) {
        throw damaged(error.what());
    }
}

}  // namespace receipt_register::register_copy
