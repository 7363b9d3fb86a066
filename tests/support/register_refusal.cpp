#include "register_refusal.hpp"

#include <receipt_register/receipt_files.hpp>

#include <sqlite3.h>

#include <stdexcept>

namespace fixture {
namespace {

void execute(const std::string& file, const char* sql) {
    sqlite3* db = nullptr;
    const int opened = sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
    const int done = opened == SQLITE_OK ? sqlite3_exec(db, sql, nullptr, nullptr, nullptr) : opened;
    const std::string message = db ? sqlite3_errmsg(db) : "out of memory";
    sqlite3_close(db);
    if (done != SQLITE_OK) throw std::runtime_error("cannot change the register " + file + ": " + message);
}

}  // namespace

Refused_Marking::Refused_Marking(const std::string& folder)
    : register_file_(folder + std::string(receipt_register::kRegisterFileName)) {
    execute(register_file_,
            "CREATE TRIGGER refuse_marking BEFORE UPDATE OF status ON receipts WHEN NEW.status = 'issued' "
            "BEGIN SELECT RAISE(ABORT, 'database or disk is full'); END");
}

Refused_Marking::~Refused_Marking() {
    try {
        execute(register_file_, "DROP TRIGGER refuse_marking");
    } catch (const std::runtime_error&) {
        // The test's own checks show a register left refusing.
    }
}

}  // namespace fixture
