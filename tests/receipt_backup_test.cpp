// tarnwickery-receipt backup, restore and verify --archive: an archive taken while a
// batch writes receipts in another process, restored and checked, and archives damaged
// in transit, cut short or naming a file outside the receipt folder.
#include "docx_fixture.hpp"
#include "stand_in_receipts.hpp"
#include "test_env.hpp"
#include "tools.hpp"

#include <platform/process.hpp>
#include <platform/root_folder.hpp>
#include <receipt_register/receipt_files.hpp>

#include <gtest/gtest.h>

#include <filesystem>
#include <algorithm>
#include <thread>

using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

struct Result {
    int status = -1;
    std::string out, err;
};

std::string launcher() { return tools::program_dir() + "/tarnwickery-receipt"; }

Result run(const std::string& arguments) {
    const std::string err = platform::root_folder() + "stderr.txt";
    const auto run = tools::run("(" + tools::quote(launcher()) + " " + arguments + " 2>" + tools::quote(err) + ")");
    return {run.status, run.output, fixture::read_file(err)};
}

// The archives in `folder`, and any file a backup left there half written.
std::vector<std::string> files_in(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(platform::to_path(folder)))
        names.push_back(platform::from_path(entry.path().filename()));
    std::sort(names.begin(), names.end());
    return names;
}

class Backup : public testing::Test {
protected:
    std::string test_name = testing::UnitTest::GetInstance()->current_test_info()->name();
    ScopedEnv root{"TARNWICKERY_ROOT", tools::fresh_folder(test_name).c_str()};
    std::string folder = receipt_register::receipt_folder();
    std::string archives = tools::fresh_folder(test_name + "-archives");
};

std::string request(int i) {
    return R"({"買受人": "客戶)" + std::to_string(i) +
           R"(", "買受人統一編號": "", "品名": ["茶葉"], "數量": [1], "單件價格": [100], "存檔路徑": "",)"
           R"( "顯示免用統一發票章": false, "顯示負責人章": false, "顯示日期": true, "年": 2025, "月": 3, "日": 9})";
}

}  // namespace

TEST_F(Backup, TakenDuringABatchTheArchiveAgreesAndRestoresIntoAnEmptyRoot) {
    if (!tools::require("soffice", "libreoffice-writer-nogui")) return;
    std::string lines;
    for (int i = 1; i <= 12; ++i) lines += request(i) + "\n";
    const std::string requests = platform::root_folder() + "requests.jsonl";
    fixture::write_file(requests, lines);
    stand_in::register_receipt(folder, 1, "%PDF-1.7 the first receipt");

    platform::Process batch({launcher(), "--batch", requests});
    int backups = 0;
    while (!batch.wait_for(0ms)) {
        const Result backup = run("backup " + tools::quote(archives));
        ASSERT_EQ(backup.status, 0) << backup.err;
        ++backups;
        std::this_thread::sleep_for(300ms);
    }
    ASSERT_TRUE(batch.wait_for(0ms)->success()) << batch.output();
    ASSERT_GE(backups, 2) << "the batch ended before backups could run beside it";
    const Result last = run("backup " + tools::quote(archives + "last.zip"));
    ASSERT_EQ(last.status, 0) << last.err;

    // Each archive taken beside the batch holds a register and PDFs that agree.
    for (const auto& name : files_in(archives)) {
        ASSERT_TRUE(name.ends_with(".zip")) << "left behind: " << name;
        const Result check = run("verify --archive " + tools::quote(archives + name));
        EXPECT_EQ(check.status, 0) << name << ": " << check.out << check.err;
        EXPECT_NE(check.out.find(" 0 of them not in the register"), std::string::npos) << name << ": " << check.out;
    }
    EXPECT_NE(last.out.find("13 receipt PDFs, 0 of them not in the register; the register holds 13 issued and 0 void receipts"), std::string::npos) << last.out;

    ScopedEnv empty_root("TARNWICKERY_ROOT", tools::fresh_folder(test_name + "-restored").c_str());
    const Result restore = run("restore " + tools::quote(archives + "last.zip"));
    ASSERT_EQ(restore.status, 0) << restore.out << restore.err;
    EXPECT_NE(restore.out.find("13 issued receipts checked: 0 missing, 0 changed"), std::string::npos) << restore.out;
    EXPECT_EQ(fixture::read_file(receipt_register::receipt_folder() + "免用統一發票收據000001 - 測試.pdf"), "%PDF-1.7 the first receipt");
    EXPECT_EQ(run("verify").status, 0);

    const Result again = run("restore " + tools::quote(archives + "last.zip"));
    EXPECT_EQ(again.status, 1);
    EXPECT_NE(again.err.find("holds receipts already"), std::string::npos) << again.err;
    const Result over = run("backup " + tools::quote(archives + "last.zip"));
    EXPECT_EQ(over.status, 1);
    EXPECT_NE(over.err.find("exists already"), std::string::npos) << over.err;
}

TEST_F(Backup, ADamagedOrTruncatedArchiveIsRefusedAndRestoresNothing) {
    for (long long number = 1; number <= 6; ++number)
        stand_in::register_receipt(folder, number, "%PDF-1.7 " + std::string(20000, static_cast<char>('a' + number)));
    const std::string good = archives + "good.zip";
    ASSERT_EQ(run("backup " + tools::quote(good)).status, 0);
    const std::string bytes = fixture::read_file(good);

    const std::string bad = archives + "bad.zip";
    std::vector<std::pair<std::string, std::string>> damages;
    for (std::size_t at : {bytes.size() / 4, bytes.size() / 2, bytes.size() * 3 / 4}) {
        std::string flipped = bytes;
        flipped[at] = static_cast<char>(flipped[at] ^ 0x01);
        damages.emplace_back("one byte changed at " + std::to_string(at), flipped);
    }
    damages.emplace_back("cut short", bytes.substr(0, bytes.size() / 2));
    damages.emplace_back("its last byte cut", bytes.substr(0, bytes.size() - 1));

    ScopedEnv empty_root("TARNWICKERY_ROOT", tools::fresh_folder(test_name + "-restored").c_str());
    for (const auto& [damage, content] : damages) {
        fixture::write_file(bad, content);
        const Result check = run("verify --archive " + tools::quote(bad));
        EXPECT_EQ(check.status, 1) << damage << ": " << check.out;
        EXPECT_NE(check.err.find("is damaged"), std::string::npos) << damage << ": " << check.err;
        const Result restore = run("restore " + tools::quote(bad));
        EXPECT_EQ(restore.status, 1) << damage << ": " << restore.out;
        const auto left = files_in(receipt_register::receipt_folder());
        EXPECT_TRUE(std::ranges::none_of(left, receipt_register::is_receipt_pdf)) << damage;
    }

    // Whole and listed in its manifest, but naming a file outside the receipt folder.
    if (!tools::require("python3", "python3")) return;
    const std::string escaping = archives + "escaping.zip";
    const std::string script =
        "import hashlib, sys, zipfile\n"
        "name = '免用統一發票收據/../免用統一發票收據000009 - x.pdf'\n"
        "data = b'%PDF-1.7'\n"
        "with zipfile.ZipFile(sys.argv[1], 'w') as z:\n"
        "    z.writestr(name, data)\n"
        "    z.writestr('manifest.sha256', hashlib.sha256(data).hexdigest() + '  ' + name + '\\n')\n";
    fixture::write_file(archives + "escaping.py", script);
    ASSERT_EQ(tools::run("python3 " + tools::quote(archives + "escaping.py") + " " + tools::quote(escaping)).status, 0);
    const Result escape = run("restore " + tools::quote(escaping));
    EXPECT_EQ(escape.status, 1);
    EXPECT_NE(escape.err.find("which no backup of this program holds"), std::string::npos) << escape.err;
    EXPECT_FALSE(fs::exists(platform::to_path(platform::root_folder() + "免用統一發票收據000009 - x.pdf")));

    EXPECT_EQ(run("restore " + tools::quote(good)).status, 0) << "the same folder takes the sound archive";
    EXPECT_EQ(run("verify --archive " + tools::quote(archives + "none.zip")).status, 2);
    EXPECT_EQ(run("restore " + tools::quote(archives)).status, 2) << "a folder is no archive";
}

TEST_F(Backup, ABackupCutShortLeavesNoArchiveUnderItsName) {
    for (long long number = 1; number <= 200; ++number)
        stand_in::register_receipt(folder, number, "%PDF-1.7 " + std::string(500'000, static_cast<char>('a' + number % 26)));
    const std::string archive = archives + "cut.zip";
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(run("backup " + tools::quote(archive)).status, 0);
    const auto whole = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    fs::remove(platform::to_path(archive));

    // Killed at points through the whole backup's time: hashing, writing, reading back.
    int cut_while_writing = 0;
    for (int tenths : {3, 5, 7, 8, 9}) {
        platform::Process backup({launcher(), "backup", archive});
        std::this_thread::sleep_for(whole * tenths / 10);
        backup.kill_tree();
        const auto left = files_in(archives);
        if (fs::exists(platform::to_path(archive))) {
            // The kill came after the rename: the archive is whole.
            EXPECT_EQ(run("verify --archive " + tools::quote(archive)).status, 0) << "killed at " << tenths << "/10";
        } else {
            cut_while_writing += !left.empty();
        }
        for (const auto& name : left) fs::remove(platform::to_path(archives + name));
    }
    EXPECT_GE(cut_while_writing, 1) << "no kill came while the archive was being written; the backup took " << whole.count()
                                    << " ms";
}
