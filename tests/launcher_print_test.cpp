// tarnwickery-receipt print NUMBER and --batch --print, against a CUPS scheduler of the
// test's own: what reaches the printer, and what is refused before anything does.
#include "docx_fixture.hpp"
#include "print_server.hpp"
#include "stand_in_receipts.hpp"
#include "test_env.hpp"
#include "tools.hpp"

#include <platform/root_folder.hpp>
#include <receipt_register/receipt_files.hpp>
#include <receipt_register/receipt_register.hpp>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

using namespace receipt_register;

namespace {

std::string test_name() { return testing::UnitTest::GetInstance()->current_test_info()->name(); }

struct Result {
    int status = -1;
    std::string out, err;
};

int lines(const std::string& text) { return static_cast<int>(std::count(text.begin(), text.end(), '\n')); }

std::string request(const std::string& buyer) {
    return R"({"買受人": ")" + buyer + R"(", "買受人統一編號": "04595257", "品名": ["茶葉"], "數量": [2], "單件價格": [300],)"
           R"( "存檔路徑": "", "顯示免用統一發票章": false, "顯示負責人章": false, "顯示日期": true, "年": 2025, "月": 3, "日": 9})";
}

class Launcher_Print : public testing::Test {
protected:
    ScopedEnv root{"TARNWICKERY_ROOT", tools::fresh_folder(test_name()).c_str()};
    std::string folder = receipt_folder();
    PrintServer server{tools::fresh_folder("cups")};

    Result launcher(const std::string& arguments) {
        const std::string err = platform::root_folder() + "stderr.txt";
        const auto run = tools::run("(" + tools::quote(tools::program_dir() + "/tarnwickery-receipt") + " " + arguments +
                                    " 2>" + tools::quote(err) + ")");
        return {run.status, run.output, fixture::read_file(err)};
    }

    // A file of one request a line for each buyer; returns its path.
    std::string batch_file(const std::vector<std::string>& buyers) {
        std::string text;
        for (const auto& buyer : buyers) text += request(buyer) + "\n";
        const std::string file = platform::root_folder() + "requests.jsonl";
        fixture::write_file(file, text);
        return file;
    }

    // Receipts 1 to 3 in the register beside stand-in PDFs, the third void.
    void register_stand_ins() {
        for (long long number = 1; number <= 3; ++number)
            stand_in::register_receipt(folder, number, "%PDF-1.7 stand-in receipt " + std::to_string(number));
        Receipt_Register::open(folder).void_receipt(3, "買受人寫錯", "2025-03-09 10:00:00");
    }

    std::string pdf(long long number) { return folder + "免用統一發票收據" + number_text(number) + " - 測試.pdf"; }

    // The registered PDF of each receipt the folder holds, by number.
    std::map<long long, std::string> written_pdfs() {
        std::map<long long, std::string> found;
        if (auto book = Receipt_Register::open_existing(folder))
            for (const auto& record : book->receipts()) found[record.number] = folder + record.file_name;
        return found;
    }
};

}  // namespace

TEST_F(Launcher_Print, BatchPrintsEachReceiptAsWrittenAndPrintNumberPrintsItAgain) {
    if (!tools::require("soffice", "libreoffice-writer-nogui") || !tools::require("pdftotext", "poppler-utils") ||
        !tools::require("pdfinfo", "poppler-utils"))
        return;
    server.add_printer("counter", {.is_default = true});
    server.add_printer("office");

    const Result batch = launcher("--batch " + tools::quote(batch_file({"列印一號商行", "列印二號商行"})) + " --print");
    ASSERT_EQ(batch.status, 0) << batch.out << batch.err;
    EXPECT_NE(batch.out.find("2 written, 0 failed, 0 with warnings"), std::string::npos) << batch.out;
    const auto written = written_pdfs();
    ASSERT_EQ(written.size(), 2u);
    const auto at_counter = server.wait_for_jobs("counter", 2);
    ASSERT_EQ(at_counter.size(), 2u) << server.log_tail();
    for (long long number : {1, 2}) {
        const ArrivedJob& job = at_counter[number - 1];
        EXPECT_EQ(job.copies, 1);
        EXPECT_EQ(fixture::read_file(job.document), fixture::read_file(written.at(number))) << "the receipt's PDF itself";
        const std::string text = tools::pdf_text_without_spaces(job.document);
        EXPECT_NE(text.find(number == 1 ? "列印一號商行" : "列印二號商行"), std::string::npos) << text;
        EXPECT_NE(text.find("No.00000" + std::to_string(number)), std::string::npos) << text;
        const tools::PageSize page = tools::pdf_page_size(job.document);
        EXPECT_NEAR(page.width, 595.3, 1) << "A5 landscape";
        EXPECT_NEAR(page.height, 419.5, 1) << "A5 landscape";
    }
    EXPECT_TRUE(server.jobs("office").empty());

    const Result again = launcher("print 000002 --printer office --copies 3");
    ASSERT_EQ(again.status, 0) << again.err;
    const auto at_office = server.wait_for_jobs("office", 1);
    ASSERT_EQ(at_office.size(), 1u) << server.log_tail();
    EXPECT_EQ(again.out, "receipt 000002 sent to printer office as job " + std::to_string(at_office[0].id) + ", 3 copies\n");
    EXPECT_EQ(at_office[0].copies, 3);
    EXPECT_EQ(fixture::read_file(at_office[0].document), fixture::read_file(written.at(2)));

    // The receipt is written and registered whatever the printer makes of it.
    server.add_printer("jammed", {.accepting = false});
    const Result refused = launcher("--batch " + tools::quote(batch_file({"列印三號商行"})) + " --print --printer jammed");
    EXPECT_EQ(refused.status, 0) << refused.err;
    EXPECT_NE(refused.out.find("1 written, 0 failed, 1 with warnings"), std::string::npos) << refused.out;
    EXPECT_EQ(refused.err.rfind("line 1: warning: not printed: printer jammed refused the job: ", 0), 0u) << refused.err;
    EXPECT_EQ(lines(refused.err), 1) << refused.err;
    EXPECT_EQ(written_pdfs().size(), 3u);
    EXPECT_EQ(launcher("verify").status, 0);
}

TEST_F(Launcher_Print, ChangedMissingOrVoidReceiptsAreRefused) {
    server.add_printer("counter", {.is_default = true});
    register_stand_ins();
    std::string bytes = fixture::read_file(pdf(1));
    bytes.back() ^= 1;
    fixture::write_file(pdf(1), bytes);
    std::filesystem::rename(platform::to_path(pdf(2)), platform::to_path(pdf(2) + ".moved"));

    const struct {
        const char* arguments;
        std::string error;
    } refusals[] = {
        {"print 1", "receipt 000001 is not printed: its PDF " + pdf(1) +
                        " has changed since it was issued (its SHA-256 is not the one in the register)"},
        {"print 2", "receipt 000002 is not printed: its PDF " + pdf(2) + " is missing"},
        {"print 3 --copies 2", "receipt 000003 is void (買受人寫錯); give --void-ok to print it all the same"},
        {"print 9", "there is no receipt number 000009 in the register " + folder + std::string(kRegisterFileName)},
    };
    for (const auto& refusal : refusals) {
        const Result result = launcher(refusal.arguments);
        EXPECT_EQ(result.status, 1) << refusal.arguments;
        EXPECT_EQ(result.err, "tarnwickery-receipt: " + refusal.error + "\n") << refusal.arguments;
        EXPECT_EQ(result.out, "") << refusal.arguments;
    }
    EXPECT_TRUE(server.jobs("counter").empty()) << "nothing refused reaches the printer";
    EXPECT_EQ(fixture::read_file(pdf(1)), bytes) << "a refused PDF is left as it is";

    const Result void_ok = launcher("print 3 --void-ok");
    ASSERT_EQ(void_ok.status, 0) << void_ok.err;
    const auto arrived = server.wait_for_jobs("counter", 1);
    ASSERT_EQ(arrived.size(), 1u) << server.log_tail();
    EXPECT_EQ(fixture::read_file(arrived[0].document), fixture::read_file(pdf(3)));
}

TEST_F(Launcher_Print, NoPrinterOrAnUnknownOneIsRefusedBeforeAnyReceiptIsMade) {
    register_stand_ins();
    const std::string requests = batch_file({"不該寫出"});
    const std::string none = "no printer is installed";
    const std::string unknown = "there is no printer named \"nowhere\"; the printers are: office";
    const auto expect_refused = [&](const std::string& arguments, const std::string& reason, const std::string& failure) {
        const Result result = launcher(arguments);
        EXPECT_EQ(result.status, 1) << arguments;
        EXPECT_EQ(result.err, "tarnwickery-receipt: " + failure + ": " + reason + "\n") << arguments;
    };
    expect_refused("print 1", none, "cannot print " + pdf(1));
    expect_refused("--batch " + tools::quote(requests) + " --print", none, "cannot choose a printer");

    server.add_printer("office");
    expect_refused("print 1 --printer nowhere", unknown, "cannot print " + pdf(1));
    expect_refused("--batch " + tools::quote(requests) + " --print --printer nowhere", unknown, "cannot choose a printer");
    EXPECT_EQ(written_pdfs().size(), 3u) << "the batch made no receipt";
    EXPECT_TRUE(server.jobs("office").empty());
}

TEST_F(Launcher_Print, BadArguments) {
    for (const char* arguments : {"print", "print abc", "print 0", "print 1 2", "print 1 --copies 0", "print 1 --copies x",
                                  "print 1 --batch requests.jsonl", "--print", "--batch requests.jsonl --printer office",
                                  "--printer office print 1"}) {
        const Result result = launcher(arguments);
        EXPECT_EQ(result.status, 2) << arguments;
        EXPECT_EQ(lines(result.err), 1) << arguments << ": " << result.err;
    }
}
