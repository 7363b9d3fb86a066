// Real receipts from tarnwickery-receipt --batch, with LibreOffice: processes running at
// once on one root folder, a conversion that fails, a deleted PDF, the printed number.
#include "docx_fixture.hpp"
#include "test_env.hpp"
#include "tools.hpp"

#include <platform/process.hpp>
#include <platform/root_folder.hpp>
#include <receipt_register/receipt_files.hpp>
#include <receipt_register/receipt_register.hpp>

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>

using namespace std::chrono_literals;
using receipt_register::Receipt_Register;

namespace {

std::string request(const std::string& buyer) {
    return R"({"買受人": ")" + buyer + R"(", "買受人統一編號": "12345678", "品名": ["茶葉"], "數量": [2], "單件價格": [300],)"
           R"( "存檔路徑": "", "顯示免用統一發票章": false, "顯示負責人章": false, "顯示日期": true, "年": 2025, "月": 3, "日": 9})";
}

std::string launcher() { return tools::program_dir() + "/tarnwickery-receipt"; }

// A file of `count` requests; returns its path.
std::string requests(const std::string& name, int count) {
    std::string lines;
    for (int i = 0; i < count; ++i) lines += request(name + std::to_string(i + 1)) + "\n";
    const std::string file = platform::root_folder() + name + ".jsonl";
    fixture::write_file(file, lines);
    return file;
}

// Receipt PDFs in the folder, by number, and everything else but the register's files.
struct Folder_Contents {
    std::map<long long, std::string> pdfs;
    std::set<std::string> others;
};

Folder_Contents contents(const std::string& folder) {
    Folder_Contents found;
    for (const auto& entry : std::filesystem::directory_iterator(platform::to_path(folder))) {
        const std::string name = platform::from_path(entry.path().filename());
        if (receipt_register::is_receipt_pdf(name))
            found.pdfs[std::stoll(name.substr(receipt_register::kReceiptPrefix.size(), 6))] = name;
        else if (!name.starts_with("收據登記簿") && name != "印章")
            found.others.insert(name);
    }
    return found;
}

class Register_Batch : public testing::Test {
protected:
    ScopedEnv root{"TARNWICKERY_ROOT",
                   tools::fresh_folder(testing::UnitTest::GetInstance()->current_test_info()->name()).c_str()};
    std::string folder = receipt_register::receipt_folder();
};

}  // namespace

TEST_F(Register_Batch, TwoProcessesAtOnceShareOneSequence) {
    if (!tools::require("soffice", "libreoffice-writer-nogui") || !tools::require("pdftotext", "poppler-utils")) return;
    platform::Process first({launcher(), "--batch", requests("甲", 20)});
    platform::Process second({launcher(), "--batch", requests("乙", 20)});
    for (auto* batch : {&first, &second}) {
        const auto status = batch->wait_for(20min);
        ASSERT_TRUE(status.has_value()) << "a batch did not finish";
        EXPECT_TRUE(status->success()) << platform::describe(*status) << "\n" << batch->output();
        EXPECT_NE(batch->output().find("20 written, 0 failed"), std::string::npos) << batch->output();
    }

    const Folder_Contents found = contents(folder);
    EXPECT_TRUE(found.others.empty()) << *found.others.begin();
    ASSERT_EQ(found.pdfs.size(), 40u);
    EXPECT_EQ(found.pdfs.begin()->first, 1);
    EXPECT_EQ(found.pdfs.rbegin()->first, 40);
    const auto issued = Receipt_Register::open(folder).receipts();
    ASSERT_EQ(issued.size(), 40u);
    for (const auto& record : issued) {
        EXPECT_EQ(record.status, receipt_register::Receipt_Status::issued);
        EXPECT_EQ(found.pdfs.at(record.number), record.file_name);
    }

    const std::string first_pdf = folder + found.pdfs.begin()->second;
    const std::string text = tools::pdf_text_without_spaces(first_pdf);
    EXPECT_NE(text.find("No.000001"), std::string::npos) << text;
    EXPECT_EQ(tools::run(tools::quote(launcher()) + " verify").status, 0);
}

TEST_F(Register_Batch, FailedConversionLeavesNothingAndDeletedPdfsKeepTheirNumbers) {
    if (!tools::require("soffice", "libreoffice-writer-nogui")) return;
    const auto batch = [&](const std::string& name) {
        return tools::run(tools::quote(launcher()) + " --batch " + tools::quote(requests(name, 1)));
    };
    ASSERT_EQ(batch("first").status, 0);

    {
        ScopedEnv no_office("TARNWICKERY_LIBREOFFICE_PROGRAM", "/nonexistent/libreoffice/program");
        ScopedEnv no_soffice("TARNWICKERY_SOFFICE", "/nonexistent/soffice");
        const auto failed = batch("no-office");
        EXPECT_EQ(failed.status, 1) << failed.output;
        EXPECT_NE(failed.output.find("0 written, 1 failed"), std::string::npos) << failed.output;
    }
    Folder_Contents found = contents(folder);
    EXPECT_TRUE(found.others.empty()) << "no .docx and no scratch left: " << *found.others.begin();
    EXPECT_EQ(found.pdfs.size(), 1u);
    EXPECT_EQ(Receipt_Register::open(folder).highest_number(), 1) << "no row for the failed receipt";

    ASSERT_EQ(batch("second").status, 0);
    found = contents(folder);
    ASSERT_EQ(found.pdfs.size(), 2u);
    EXPECT_TRUE(found.pdfs.contains(2)) << "the failure left no gap";

    std::filesystem::remove(platform::to_path(folder + found.pdfs.at(2)));
    ASSERT_EQ(batch("third").status, 0);
    found = contents(folder);
    EXPECT_TRUE(found.pdfs.contains(3)) << "the deleted receipt's number is not issued again";
    EXPECT_FALSE(found.pdfs.contains(2));
    const auto verified = tools::run(tools::quote(launcher()) + " verify");
    EXPECT_EQ(verified.status, 1);
    EXPECT_NE(verified.output.find("missing: 免用統一發票收據000002"), std::string::npos) << verified.output;
}
