#include "docx_fixture.hpp"
#include "tools.hpp"

#include <platform/root_folder.hpp>
#include <receipt_register/receipt_files.hpp>
#include <receipt_register/receipt_register.hpp>
#include <receipt_register/sha256.hpp>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>

using namespace receipt_register;

namespace {

Receipt_Record record(long long number, const std::string& buyer, const std::string& tax_number = "",
                      const std::string& record_date = "2025-03-09") {
    Receipt_Record r;
    r.number = number;
    r.record_date = record_date;
    r.receipt_date = "2025-03-08";
    r.buyer = buyer;
    r.tax_number = tax_number;
    r.rows = {{"茶葉", 2, 300, 600}, {"餅乾, 大", 3, 45, 135}};
    r.total = 735;
    r.exemption_seal_asked = true;
    r.exemption_seal_printed = false;
    r.owner_seal_asked = true;
    r.owner_seal_printed = true;
    r.file_name = "免用統一發票收據" + number_text(number) + " - x.pdf";
    r.sha256 = std::string(64, 'a');
    return r;
}

// Runs SQL on a register file behind the register's back, as another program would.
void execute(const std::string& path, const std::string& sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close(db);
}

std::string pragma(const std::string& path, const std::string& name) {
    sqlite3* db = nullptr;
    sqlite3_open(path.c_str(), &db);
    sqlite3_stmt* query = nullptr;
    sqlite3_prepare_v2(db, ("PRAGMA " + name).c_str(), -1, &query, nullptr);
    sqlite3_step(query);
    std::string value = reinterpret_cast<const char*>(sqlite3_column_text(query, 0));
    sqlite3_finalize(query);
    sqlite3_close(db);
    return value;
}

template <typename Call>
std::string error_of(Call call) {
    try {
        call();
    } catch (const std::exception& error) {
        return error.what();
    }
    return "no error";
}

class Register : public testing::Test {
protected:
    std::string folder = tools::fresh_folder(testing::UnitTest::GetInstance()->current_test_info()->name());
    std::string file = folder + std::string(kRegisterFileName);
};

}  // namespace

TEST_F(Register, IsCreatedOnFirstUseInWalModeWithItsSchemaVersion) {
    EXPECT_FALSE(Receipt_Register::open_existing(folder).has_value());
    EXPECT_FALSE(std::filesystem::exists(file)) << "looking must not create the register";
    {
        Receipt_Register book = Receipt_Register::open(folder);
        EXPECT_EQ(book.path(), file);
        EXPECT_EQ(book.highest_number(), 0);
    }
    EXPECT_EQ(pragma(file, "journal_mode"), "wal");
    EXPECT_EQ(pragma(file, "user_version"), "3");
    EXPECT_TRUE(Receipt_Register::open_existing(folder).has_value());
}

TEST_F(Register, KeepsEveryFieldAndRowThroughPendingIssuedAndVoid) {
    Receipt_Register book = Receipt_Register::open(folder);
    const Receipt_Record first = record(1, "王小明", "12345678");
    book.add_pending(first);
    ASSERT_EQ(book.pending().size(), 1u);
    EXPECT_EQ(book.pending()[0].file_name, first.file_name);
    EXPECT_TRUE(book.receipts().empty()) << "a pending receipt is not listed";
    EXPECT_NE(error_of([&] { book.add_pending(first); }), "no error") << "a number is taken once";

    book.mark_issued(1);
    EXPECT_TRUE(book.pending().empty());
    book.remove_pending(1);  // an issued receipt is never removed
    auto listed = Receipt_Register::open_existing(folder)->receipts();
    ASSERT_EQ(listed.size(), 1u);
    const Receipt_Record& read = listed[0];
    EXPECT_EQ(read.status, Receipt_Status::issued);
    EXPECT_EQ(read.record_date, first.record_date);
    EXPECT_EQ(read.receipt_date, first.receipt_date);
    EXPECT_EQ(read.buyer, "王小明");
    EXPECT_EQ(read.tax_number, "12345678");
    EXPECT_EQ(read.total, 735);
    EXPECT_TRUE(read.exemption_seal_asked);
    EXPECT_FALSE(read.exemption_seal_printed);
    EXPECT_TRUE(read.owner_seal_printed);
    EXPECT_EQ(read.sha256, first.sha256);
    ASSERT_EQ(read.rows.size(), 2u);
    EXPECT_EQ(read.rows[1].name, "餅乾, 大");
    EXPECT_EQ(read.rows[1].quantity, 3);
    EXPECT_EQ(read.rows[1].unit_price, 45);
    EXPECT_EQ(read.rows[1].amount, 135);

    book.add_pending(record(2, "b"));
    book.remove_pending(2);
    EXPECT_EQ(book.highest_number(), 1) << "a removed pending row frees its number";

    book.void_receipt(1, "金額打錯", "2025-03-10 09:00:00");
    EXPECT_EQ(book.highest_number(), 1) << "a void number still counts";
    listed = book.receipts();
    EXPECT_EQ(listed[0].status, Receipt_Status::voided);
    EXPECT_EQ(listed[0].void_reason, "金額打錯");
    EXPECT_EQ(listed[0].voided_at, "2025-03-10 09:00:00");
}

TEST_F(Register, NewerForeignAndDamagedFilesAreRefusedAndLeftAsTheyAre) {
    Receipt_Register::open(folder);
    execute(file, "PRAGMA journal_mode = DELETE; PRAGMA user_version = 4");
    const std::string newer = fixture::read_file(file);
    const std::string refused = error_of([&] { Receipt_Register::open(folder); });
    EXPECT_NE(refused.find("written by a newer version"), std::string::npos) << refused;
    EXPECT_NE(refused.find(file), std::string::npos) << refused;
    EXPECT_EQ(fixture::read_file(file), newer) << "a newer register is never rewritten";

    std::filesystem::remove(file);
    execute(file, "CREATE TABLE notes (text TEXT)");
    const std::string foreign = fixture::read_file(file);
    EXPECT_NE(error_of([&] { Receipt_Register::open_existing(folder); }).find("not a receipt register"), std::string::npos);
    EXPECT_EQ(fixture::read_file(file), foreign);

    fixture::write_file(file, "this is not a database, only text that is long enough to have a header");
    EXPECT_NE(error_of([&] { Receipt_Register::open(folder); }).find(file), std::string::npos);
}

// A file with the register's application id and user_version -1 indexed before the
// schema steps, after it had been switched to WAL; one without tables answered with the
// whole schema.
TEST_F(Register, AnOwnRegisterOfNoKnownVersionOrWithoutItsTablesIsRefusedUnchanged) {
    const struct {
        const char* sql;
        const char* says;
    } cases[] = {
        {"PRAGMA application_id = 1414677328; PRAGMA user_version = -1; CREATE TABLE t (x)", "schema version -1 is none"},
        {"PRAGMA application_id = 1414677328; PRAGMA user_version = 0; CREATE TABLE receipts (x)", "schema version 0 is none"},
        {"PRAGMA application_id = 1414677328; PRAGMA user_version = 1", "its table receipts is missing"},
        {"PRAGMA application_id = 1414677328; PRAGMA user_version = 1; CREATE TABLE receipts (x)",
         "its table receipt_rows is missing"},
    };
    for (const auto& c : cases) {
        std::filesystem::remove(file);
        execute(file, c.sql);
        const std::string before = fixture::read_file(file);
        for (const auto& open : {+[](const std::string& f) { Receipt_Register::open(f); },
                                 +[](const std::string& f) { Receipt_Register::open_existing(f); }}) {
            const std::string refused = error_of([&] { open(folder); });
            EXPECT_NE(refused.find("receipt register " + file + " is damaged: "), std::string::npos) << refused;
            EXPECT_NE(refused.find(c.says), std::string::npos) << refused;
            EXPECT_EQ(refused.find("CREATE"), std::string::npos) << refused;
        }
        EXPECT_EQ(fixture::read_file(file), before) << c.sql;
        EXPECT_FALSE(std::filesystem::exists(file + "-wal")) << c.sql;
    }
}

// A register the first schema wrote, kept as that version made it: four receipts, the
// second void, the fourth still pending.
TEST_F(Register, ASchemaOneRegisterIsUpgradedInPlaceWithItsChainStarted) {
    std::filesystem::copy_file(FIXTURE_FOLDER "/register_schema1.sqlite3", file);
    const std::string kept = fixture::read_file(file);
    {
        auto read = Receipt_Register::open_read_only(folder);
        ASSERT_TRUE(read);
        EXPECT_EQ(read->receipts().size(), 3u);
        EXPECT_FALSE(read->check().chained);
    }
    EXPECT_EQ(fixture::read_file(file), kept) << "reading does not upgrade";

    Receipt_Register book = Receipt_Register::open(folder);
    EXPECT_EQ(pragma(file, "user_version"), "3");
    const auto upgraded = book.receipts();
    ASSERT_EQ(upgraded.size(), 3u);
    EXPECT_EQ(upgraded[1].void_reason, "統一編號寫錯");
    EXPECT_EQ(upgraded[1].rows.size(), 2u);
    EXPECT_EQ(book.pending().size(), 1u);
    Register_Check check = book.check();
    EXPECT_TRUE(check.chained);
    EXPECT_EQ(check.records, 4) << "1, 2, the void of 2, and 3";
    EXPECT_FALSE(check.broken) << *check.broken;
    EXPECT_TRUE(check.missing_numbers.empty());

    book.mark_issued(4);
    book.void_receipt(3, "重開", "2025-03-10 09:00:00");
    check = book.check();
    EXPECT_EQ(check.records, 6);
    EXPECT_FALSE(check.broken) << *check.broken;
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
    for (const char* sql : {"DELETE FROM chain WHERE sequence = 1", "UPDATE chain SET hash = '' WHERE sequence = 2"})
        EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_CONSTRAINT) << sql;
    sqlite3_close(db);
    EXPECT_EQ(book.check().records, 6) << "the chain is only ever added to";
}

TEST(Sha256, MatchesKnownDigestsAcrossBufferBoundaries) {
    const std::string folder = tools::fresh_folder("sha256");
    const std::pair<std::string, const char*> cases[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {std::string(1'000'000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    };
    for (const auto& [bytes, digest] : cases) {
        fixture::write_file(folder + "file", bytes);
        EXPECT_EQ(sha256_of_file(platform::to_path(folder + "file")), digest) << bytes.size() << " bytes";
    }
    EXPECT_NE(error_of([&] { sha256_of_file(platform::to_path(folder + "absent.pdf")); }).find("absent.pdf"), std::string::npos);
}

TEST(ReceiptFiles, RecogniseReceiptPdfsAndPrintNumbers) {
    EXPECT_TRUE(is_receipt_pdf("免用統一發票收據000012 - 王（記錄日期：2025年03月09日）.pdf"));
    EXPECT_TRUE(is_receipt_pdf("免用統一發票收據1000000 - x.pdf"));
    EXPECT_FALSE(is_receipt_pdf("免用統一發票收據00012 - x.pdf"));
    EXPECT_FALSE(is_receipt_pdf("免用統一發票收據000012 - x.docx"));
    EXPECT_FALSE(is_receipt_pdf("收據登記簿.sqlite3"));
    EXPECT_EQ(number_text(42), "000042");
    EXPECT_EQ(number_text(1234567), "1234567");
}
