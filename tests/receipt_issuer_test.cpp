// Numbering, recording and moving receipts into place, with a stand-in for filling and
// converting so that only the issuing itself is under test.
#include "docx_fixture.hpp"
#include "receipt_issuer.hpp"
#include "register_refusal.hpp"
#include "tools.hpp"

#include <platform/file_lock.hpp>
#include <platform/root_folder.hpp>
#include <receipt_register/receipt_files.hpp>
#include <receipt_register/sha256.hpp>

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <set>
#include <thread>

#ifndef _WIN32
#include <sys/stat.h>
#endif

using namespace receipt_worker;
using receipt_register::Receipt_Register;
namespace fs = std::filesystem;

namespace {

std::string name_of(long long number) { return "免用統一發票收據" + receipt_register::number_text(number) + " - 測試.pdf"; }

// Writes a small PDF-like file in the scratch folder, as converting would.
Prepared_Receipt stand_in(long long number, const std::string& scratch) {
    Prepared_Receipt prepared;
    prepared.record.record_date = "2025-03-09";
    prepared.record.file_name = name_of(number);
    prepared.scratch_pdf = scratch + prepared.record.file_name;
    fixture::write_file(prepared.scratch_pdf, "%PDF-1.7 receipt " + std::to_string(number));
    return prepared;
}

struct Failed_Conversion : std::runtime_error {
    Failed_Conversion() : std::runtime_error("the conversion failed") {}
};

// The folder's entries by name, the register file and its lock left out.
std::set<std::string> entries(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(platform::to_path(folder))) {
        const std::string name = platform::from_path(entry.path().filename());
        if (!name.starts_with("收據登記簿")) names.insert(name);
    }
    return names;
}

class Issuer : public testing::Test {
protected:
    std::string folder = tools::fresh_folder(testing::UnitTest::GetInstance()->current_test_info()->name());
    Receipt_Issuer issuer{folder};

    long long issue() { return issuer.issue(stand_in).record.number; }
    // The number the next receipt would get, found without making one.
    long long next_number() {
        long long offered = 0;
        EXPECT_THROW(issuer.issue([&](long long number, const std::string&) -> Prepared_Receipt {
            offered = number;
            throw Failed_Conversion();
        }),
                     Failed_Conversion);
        return offered;
    }
};

}  // namespace

TEST_F(Issuer, NumbersFromTheHighestOfFolderAndRegisterAndNeverReusesOne) {
    fixture::write_file(folder + "免用統一發票收據000007 - made before the register.pdf", "old");
    EXPECT_EQ(issue(), 8) << "receipts made before the register keep counting";
    EXPECT_EQ(issue(), 9);

    const auto issued = Receipt_Register::open(folder).receipts();
    ASSERT_EQ(issued.size(), 2u);
    EXPECT_EQ(issued[1].file_name, name_of(9));
    EXPECT_EQ(issued[1].sha256, receipt_register::sha256_of_file(platform::to_path(folder + name_of(9))));

    fs::remove(platform::to_path(folder + name_of(9)));
    fs::remove(platform::to_path(folder + "免用統一發票收據000007 - made before the register.pdf"));
    EXPECT_EQ(issue(), 10) << "deleting the newest PDF never frees its number";
    Receipt_Register::open(folder).void_receipt(10, "wrong buyer", "2025-03-09 10:00:00");
    EXPECT_EQ(issue(), 11) << "a void number is never issued again";

    // The whole folder removed and made again while the issuer lives: the next receipt
    // is recorded in the new folder's register, not in the removed file.
    fs::remove_all(platform::to_path(folder));
    fs::create_directory(platform::to_path(folder));
    EXPECT_EQ(issue(), 1);
    const auto kept = Receipt_Register::open(folder).receipts();
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(kept[0].file_name, name_of(1));
}

TEST_F(Issuer, FailedPassLeavesNothingAndItsNumberGoesToTheNext) {
    EXPECT_EQ(issue(), 1);
    const auto before = entries(folder);
    EXPECT_EQ(next_number(), 2);
    EXPECT_EQ(entries(folder), before) << "no scratch folder, no file";
    EXPECT_TRUE(Receipt_Register::open(folder).pending().empty());
    EXPECT_EQ(issue(), 2) << "failures leave no gap";

    // A file that takes the final name while the receipt is being made stays as it
    // was, and the receipt's row goes.
    EXPECT_THROW(issuer.issue([&](long long number, const std::string& scratch) {
        fixture::write_file(folder + name_of(number), "someone else's");
        return stand_in(number, scratch);
    }),
                 platform::Error);
    EXPECT_EQ(fixture::read_file(folder + name_of(3)), "someone else's");
    EXPECT_EQ(Receipt_Register::open(folder).highest_number(), 2);
    EXPECT_EQ(entries(folder).size(), 3u);
}

// A receipt whose PDF stood under its final name was reported failed when the register
// then refused to mark it issued, so the sale was made again.
TEST_F(Issuer, AReceiptInPlaceIsIssuedThoughItsRowCannotBeMarked) {
    EXPECT_EQ(issue(), 1);
    Issued_Receipt unmarked;
    {
        const fixture::Refused_Marking refusal(folder);
        unmarked = issuer.issue(stand_in);
    }
    EXPECT_EQ(unmarked.record.number, 2);
    EXPECT_EQ(unmarked.record.status, receipt_register::Receipt_Status::pending);
    ASSERT_TRUE(unmarked.unmarked);
    EXPECT_NE(unmarked.unmarked->find("database or disk is full"), std::string::npos) << *unmarked.unmarked;
    EXPECT_EQ(fixture::read_file(folder + name_of(2)), "%PDF-1.7 receipt 2");
    ASSERT_EQ(Receipt_Register::open(folder).pending().size(), 1u);

    // The next pass marks it, and never gives its number again.
    EXPECT_EQ(issue(), 3);
    Receipt_Register book = Receipt_Register::open(folder);
    EXPECT_TRUE(book.pending().empty());
    EXPECT_EQ(book.receipts().size(), 3u);
}

TEST_F(Issuer, AfterTheLargestNumberNoReceiptIsMade) {
    const std::string largest = "免用統一發票收據9223372036854775807.pdf";
    fixture::write_file(folder + largest, "someone's");
    const auto refused = [&] {
        try {
            issue();
        } catch (const std::runtime_error& error) {
            return std::string(error.what());
        }
        return std::string("a receipt was made");
    };
    EXPECT_TRUE(refused().starts_with("no receipt number is left: ")) << "the file's number was reused";
    EXPECT_EQ(entries(folder), std::set<std::string>{largest});
    EXPECT_EQ(Receipt_Register::open(folder).highest_number(), 0);

    // The register's highest number alone stops it as well, without wrapping around.
    fs::remove(platform::to_path(folder + largest));
    {
        Receipt_Register book = Receipt_Register::open(folder);
        receipt_register::Receipt_Record record;
        record.number = 9223372036854775807LL;
        record.record_date = "2025-03-09";
        record.file_name = name_of(record.number);
        record.sha256 = std::string(64, '0');
        book.add_pending(record);
        book.mark_issued(record.number);
    }
    EXPECT_NE(refused().find("no receipt number is left: the register "), std::string::npos) << refused();
    EXPECT_TRUE(entries(folder).empty());
    EXPECT_EQ(Receipt_Register::open(folder).receipts().size(), 1u);
}

TEST_F(Issuer, RecoveryRemovesOnlyTheScratchFoldersItMakes) {
    // What a killed pass leaves (pending rows are the crash test's), beside names a user
    // might have chosen: wrong length, no dot, capitals, a file rather than a folder.
    fs::create_directories(platform::to_path(folder + ".收據暫存-0123456789az/sub"));
    fixture::write_file(folder + ".收據暫存-0123456789az/sub/x.pdf", "x");
    for (const char* kept_folder : {".收據暫存-short", "收據暫存-0123456789az", ".收據暫存-0123456789AZ"})
        fs::create_directories(platform::to_path(folder + kept_folder));
    fixture::write_file(folder + ".收據暫存-abcdefghijkl", "a user's file");
    {
        // While another program issues receipts, starting up does not wait for it.
        const auto busy = platform::FileLock::try_acquire(platform::to_path(folder + "收據登記簿.lock"));
        ASSERT_TRUE(busy);
        issuer.recover();
        EXPECT_TRUE(fs::exists(platform::to_path(folder + ".收據暫存-0123456789az"))) << "left to the lock's holder";
    }
    issuer.recover();
    EXPECT_EQ(entries(folder), (std::set<std::string>{".收據暫存-short", "收據暫存-0123456789az", ".收據暫存-0123456789AZ",
                                                      ".收據暫存-abcdefghijkl"}));
}

// The lock was waited on without a limit or a word: a program that held it stalled
// every receipt, silently and for ever.
TEST_F(Issuer, WaitingForTheLockIsToldAndEndsWithoutANumber) {
    EXPECT_EQ(issue(), 1);
    int told = 0;
    issuer.patience = {std::chrono::milliseconds(100), std::chrono::milliseconds(400), [&] { ++told; }};
    {
        const auto held = platform::FileLock::acquire(platform::to_path(folder + std::string(receipt_register::kLockFileName)));
        bool prepared = false;
        try {
            issuer.issue([&](long long number, const std::string& scratch) {
                prepared = true;
                return stand_in(number, scratch);
            });
            ADD_FAILURE() << "a receipt was made while another program held the lock";
        } catch (const Lock_Timeout& timeout) {
            EXPECT_NE(std::string(timeout.what()).find("another program has been writing a receipt in " + folder), std::string::npos)
                << timeout.what();
        }
        EXPECT_FALSE(prepared);
        EXPECT_EQ(told, 1);
        EXPECT_EQ(Receipt_Register::open(folder).highest_number(), 1) << "no number was taken";
    }
    told = 0;
    std::optional<platform::FileLock> held =
        platform::FileLock::acquire(platform::to_path(folder + std::string(receipt_register::kLockFileName)));
    std::thread release([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        held.reset();
    });
    EXPECT_EQ(issue(), 2) << "a holder that lets go within the limit is waited for";
    release.join();
    EXPECT_EQ(told, 1);
}

#ifndef _WIN32
// The register, its journal, its lock and each receipt were made with the umask's 644.
TEST_F(Issuer, TheRegisterItsLockAndTheReceiptsAreTheUsersOnly) {
    const mode_t previous = ::umask(0);
    issue();
    ::umask(previous);
    for (const std::string& name : {std::string(receipt_register::kRegisterFileName), std::string(receipt_register::kLockFileName),
                                     name_of(1)})
        EXPECT_EQ(fs::status(platform::to_path(folder + name)).permissions() & fs::perms::mask,
                  fs::perms::owner_read | fs::perms::owner_write)
            << name;
}
#endif
