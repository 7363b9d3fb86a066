#include "docx_fixture.hpp"
#include "receipt_job.hpp"
#include "register_refusal.hpp"
#include "test_env.hpp"
#include "tools.hpp"

#include <platform/clock.hpp>
#include <platform/root_folder.hpp>
#include <receipt_channels/channels.hpp>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <regex>
#include <thread>

using namespace receipt_worker;
using nlohmann::json;
using namespace std::chrono_literals;

namespace {

json request(std::string buyer = "台灣測試有限公司") {
    return {{"買受人", buyer}, {"買受人統一編號", "12345678"}, {"品名", {"蘋果", "香蕉", "鳳梨酥"}},
            {"數量", {"3", 2, "１０"}}, {"單件價格", {50, "12", "25"}}, {"存檔路徑", "ignored"},
            {"顯示免用統一發票章", true}, {"顯示負責人章", true}, {"顯示日期", true},
            {"年", 2025}, {"月", 1}, {"日", 5}};
}

std::vector<std::string> receipts(const Folders& folders) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(platform::to_path(folders.output)))
        if (entry.is_regular_file() && entry.path().filename().u8string().starts_with(u8"免用統一發票收據"))
            names.push_back(platform::from_path(entry.path().filename()));
    std::sort(names.begin(), names.end());
    return names;
}

// Text boxes of the words on a PDF's first page, from pdftotext -bbox.
struct Word_Box {
    std::string text;
    double width, height;
};

std::vector<Word_Box> word_boxes(const std::string& pdf) {
    const std::string html = tools::run("pdftotext -bbox -f 1 -l 1 " + tools::quote(pdf) + " -").output;
    std::vector<Word_Box> words;
    const std::regex word(R"re(<word xMin="([0-9.]+)" yMin="([0-9.]+)" xMax="([0-9.]+)" yMax="([0-9.]+)">([^<]*)</word>)re");
    for (auto it = std::sregex_iterator(html.begin(), html.end(), word); it != std::sregex_iterator(); ++it) {
        const auto& m = *it;
        words.push_back({m[5], std::stod(m[3]) - std::stod(m[1]), std::stod(m[4]) - std::stod(m[2])});
    }
    return words;
}

const Word_Box* find_word(const std::vector<Word_Box>& words, const std::string& text) {
    for (const auto& word : words)
        if (word.text == text) return &word;
    return nullptr;
}

// Each test gets its own root folder, so receipt numbers start at 1.
class ReceiptJob : public testing::Test {
protected:
    ScopedEnv root{"TARNWICKERY_ROOT", tools::fresh_folder(testing::UnitTest::GetInstance()->current_test_info()->name()).c_str()};
    std::string resources = tools::program_dir() + "/格式範本/";
    Queue_All_variable queues = make_queue_registry();
    Event_All_variable events = make_event_registry();

    void SetUp() override { link_busy_flag(queues, events); }  // as the launcher does

    // The window's side of the hand-shake.
    bool press(const json& item) {
        if (events["get_receipt"].is_set()) return false;
        queues["get_receipt"].put(item);
        return true;
    }
    // Waits until the worker has taken every request sent: the busy flag is set as soon
    // as one is queued.
    bool taken() { return tools::wait_until([&] { return queues["get_receipt"].empty(); }); }
    void close_window() {
        queues["end"].put(nullptr);
        events["end"].set();
        queues["get_receipt"].put(nullptr);
    }
};

}  // namespace

TEST_F(ReceiptJob, StartUpCreatesFoldersAndCopiesTheNoticeOnce) {
    Receipt_Job first(resources);
    const Folders& folders = first.folders();
    for (const auto& folder : {folders.output, folders.seals, folders.notice_folder})
        EXPECT_TRUE(std::filesystem::is_directory(platform::to_path(folder))) << folder;
    const std::string notice = folders.notice_folder + "版權宣告.pdf";
    EXPECT_EQ(fixture::read_file(notice), fixture::read_file(resources + "版權宣告.pdf"));

    fixture::write_file(notice, "kept");
    testing::internal::CaptureStdout();
    Receipt_Job second(resources);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(fixture::read_file(notice), "kept");

    testing::internal::CaptureStdout();
    std::filesystem::remove(platform::to_path(notice));
    Receipt_Job without_notice(tools::fresh_folder("no-resources"));
    EXPECT_EQ(testing::internal::GetCapturedStdout().rfind("版權宣告 --> ", 0), 0u);
}

TEST_F(ReceiptJob, ClosingWhileIdleEndsTheWorkerWithoutAJob) {
    Receipt_Job job(resources);
    bool ever_busy = false;
    std::thread worker([&] { run_receipts(job, queues, events); });
    std::this_thread::sleep_for(50ms);
    close_window();
    const auto start = std::chrono::steady_clock::now();
    while (std::chrono::steady_clock::now() - start < 200ms) ever_busy = ever_busy || events["get_receipt"].is_set();
    worker.join();
    EXPECT_FALSE(ever_busy);
    EXPECT_TRUE(queues["get_receipt"].empty());
}

TEST_F(ReceiptJob, PressesWhileBusySendNothingAndQueuedRequestsAreDroppedAtClose) {
    Receipt_Job job(resources);
    testing::internal::CaptureStdout();
    std::thread worker([&] { run_receipts(job, queues, events); });

    // An unreadable request keeps the worker busy through its one-second pause.
    ASSERT_TRUE(press(json("not a request")));
    ASSERT_TRUE(taken());
    EXPECT_FALSE(press(request()));
    EXPECT_FALSE(press(request()));
    EXPECT_TRUE(queues["get_receipt"].empty());

    ASSERT_TRUE(tools::wait_until([&] { return !events["get_receipt"].is_set(); }, 5s));
    ASSERT_TRUE(press(json::array()));  // accepted again once the worker is idle
    ASSERT_TRUE(taken());
    // The race of two windows' presses: a request queued behind the running job.
    queues["get_receipt"].put(request());
    close_window();
    worker.join();
    const std::string printed = testing::internal::GetCapturedStdout();

    EXPECT_EQ(printed, "Queue_All_variable[\"get_receipt\"].get()輸入錯誤： \"not a request\"\n"
                       "Queue_All_variable[\"get_receipt\"].get()輸入錯誤： []\n");
    EXPECT_TRUE(receipts(job.folders()).empty()) << "the queued request was dropped";
}

// The worker set the busy flag only once it took a request, so two quick presses queued
// two receipts.
TEST_F(ReceiptJob, APressIsBusyFromTheMomentItIsQueuedUntilNothingWaits) {
    ASSERT_TRUE(press(json("not a request")));
    EXPECT_FALSE(press(request())) << "a second press before the worker took the first";
    queues["get_receipt"].clear_when_empty(events["get_receipt"]);
    EXPECT_TRUE(events["get_receipt"].is_set()) << "an idle worker does not clear it while a request waits";

    queues["get_receipt"].put(json::array());  // as two windows' presses would
    Receipt_Job job(resources);
    testing::internal::CaptureStdout();
    std::thread worker([&] { run_receipts(job, queues, events); });
    bool idle_over_a_request = false;
    const bool idle = tools::wait_until([&] {
        // The flag first: the queue cannot fill after it, as nothing else is put here.
        const bool busy = events["get_receipt"].is_set();
        const bool waiting = !queues["get_receipt"].empty();
        idle_over_a_request = idle_over_a_request || (!busy && waiting);
        return !busy && !waiting;
    });
    close_window();
    worker.join();
    testing::internal::GetCapturedStdout();
    EXPECT_TRUE(idle) << "the worker ends idle once both requests are made";
    EXPECT_FALSE(idle_over_a_request);
}

// The worker checks every request, whatever the window let through, and says why it
// writes nothing.
TEST_F(ReceiptJob, RefusedRequestsSayWhyAndWriteNothing) {
    Receipt_Job job(resources);
    const char* failed = "主程式錯誤 --> ";
    const char* unreadable = "Queue_All_variable[\"get_receipt\"].get()輸入錯誤： ";
    const std::tuple<json, const char*, const char*> cases[] = {
        {{{"買受人統一編號", "1234567"}}, failed, "is not eight digits"},
        {{{"月", 2}, {"日", 30}}, failed, "is not a real day"},
        {{{"數量", json::parse("[18446744073709551615, 1, 1]")}}, unreadable, "too large"},
        {{{"單件價格", {-300, 1, 1}}}, failed, "below zero"},
        {{{"買受人", std::string(1 << 20, 'x')}}, failed, "longer than 200 characters"},
    };
    for (const auto& [changes, line, reason] : cases) {
        json sent = request();
        sent.update(changes);
        testing::internal::CaptureStdout();
        const ReceiptOutcome outcome = job.make(sent);
        const std::string printed = testing::internal::GetCapturedStdout();
        EXPECT_FALSE(outcome.written) << reason;
        EXPECT_NE(outcome.error.find(reason), std::string::npos) << outcome.error;
        EXPECT_EQ(printed.rfind(line, 0), 0u) << printed;
    }
    EXPECT_TRUE(receipts(job.folders()).empty());
}

TEST_F(ReceiptJob, EnvironmentFaultsAreOneSentenceThatSaysWhatToDo) {
    {
        const std::string blocked = tools::fresh_folder("blocked");
        fixture::write_file(blocked + "a file", "");
        const std::string root_under_a_file = blocked + "a file/tarnwickery/";
        ScopedEnv root_here("TARNWICKERY_ROOT", root_under_a_file.c_str());
        testing::internal::CaptureStdout();
        Receipt_Job job(resources);
        const ReceiptOutcome outcome = job.make(request());
        testing::internal::GetCapturedStdout();
        EXPECT_EQ(outcome.error, "cannot write receipts into " + root_under_a_file + "免用統一發票收據/ (Not a directory); make " +
                                     root_under_a_file + " a folder that this user may write to");
    }
    {
        // Neither the converter's office library nor soffice can be found.
        const std::string empty = tools::fresh_folder("no-office");
        ScopedEnv path("PATH", empty.c_str());
        ScopedEnv office("TARNWICKERY_LIBREOFFICE_PROGRAM", empty.c_str());
        ScopedEnv soffice("TARNWICKERY_SOFFICE", nullptr);
        Receipt_Job job(resources);
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        const ReceiptOutcome outcome = job.make(request());
        testing::internal::GetCapturedStdout();
        testing::internal::GetCapturedStderr();
        EXPECT_EQ(outcome.error, "there is no office to make PDFs with: LibreOffice (soffice) is not on PATH; install the "
                                 "Debian package libreoffice-writer-nogui");
    }
}

// A receipt with something to look at is still written; the worker reports it, with
// what to look at, on the queue the window reads.
TEST_F(ReceiptJob, WrittenReceiptsComeBackWithTheirWarnings) {
    if (!tools::require("soffice", "libreoffice-writer-nogui") || !tools::require("pdftotext", "poppler-utils")) return;
    const Folders folders = Folders::under_root();
    std::filesystem::create_directories(platform::to_path(folders.seals));
    fixture::write_file(folders.seals + "負責人章.png", "not a picture");

    Receipt_Job job(resources);
    json sent = request("甲/乙聯合");
    sent["買受人統一編號"] = "１２３４５６７８";
    testing::internal::CaptureStdout();
    std::thread worker([&] { run_receipts(job, queues, events); });
    ASSERT_TRUE(press(sent));
    ASSERT_TRUE(tools::wait_until([&] { return !queues["outcome"].empty(); }, 120s));
    close_window();
    worker.join();
    testing::internal::GetCapturedStdout();

    const auto outcome = queues["outcome"].get().get<ReceiptOutcome>();
    ASSERT_TRUE(outcome.written) << outcome.error;
    const auto today = platform::local_today();
    char record_date[64];
    std::snprintf(record_date, sizeof record_date, "%04d年%02d月%02d日）", today.year, today.month, today.day);
    EXPECT_EQ(outcome.pdf_path, folders.output + "免用統一發票收據000001 - 買受人：甲_乙聯合；統一編號：12345678（記錄日期：" +
                                    record_date + ".pdf");
    EXPECT_EQ(receipts(folders), std::vector<std::string>{outcome.pdf_path.substr(folders.output.size())});
    ASSERT_EQ(outcome.warnings.size(), 3u) << json(outcome.warnings).dump();
    EXPECT_EQ(outcome.warnings[0], "the seal 免用統一發票章 was not printed: put its picture, named 免用統一發票章.png or "
                                   "免用統一發票章.jpg, into " + folders.seals);
    EXPECT_TRUE(outcome.warnings[1].starts_with("the seal 負責人章 was not printed: 負責人章.png cannot be used ("))
        << outcome.warnings[1];
    EXPECT_NE(outcome.warnings[2].find("12345678 fails the check-digit rule"), std::string::npos);

    // Printed as typed, in ASCII digits, at sizes as legible as the template's 12 pt labels.
    const auto words = word_boxes(outcome.pdf_path);
    const Word_Box* buyer = find_word(words, "甲/乙聯合");
    const Word_Box* label = find_word(words, "買受人");
    ASSERT_TRUE(buyer && label) << "the buyer and its label on the receipt";
    for (const char* value : {"1", "8", "114", "150", "蘋果", "鳳梨酥"}) {
        const Word_Box* word = find_word(words, value);
        ASSERT_NE(word, nullptr) << value;
        EXPECT_GE(word->height, label->height - 0.5) << value;
    }
    const Word_Box* numeral = find_word(words, "肆");
    ASSERT_NE(numeral, nullptr);
    EXPECT_GE(numeral->width, 14.0) << "a capital numeral of 14 pt or more";
    EXPECT_GE(numeral->height, label->height * 14 / 12);
}

// The receipt exists once its PDF has its final name: a register that then refuses to
// mark it issued made the pass report failure, and a batch run again made it twice.
TEST_F(ReceiptJob, AReceiptWhoseRowCannotBeMarkedIsReportedWritten) {
    if (!tools::require("soffice", "libreoffice-writer-nogui")) return;
    Receipt_Job job(resources);
    const Folders& folders = job.folders();
    ReceiptOutcome outcome;
    testing::internal::CaptureStdout();
    {
        const fixture::Refused_Marking refusal(folders.output);
        outcome = job.make(request());
    }
    testing::internal::GetCapturedStdout();
    ASSERT_TRUE(outcome.written) << outcome.error;
    EXPECT_EQ(outcome.number, 1);
    EXPECT_EQ(receipts(folders), std::vector<std::string>{outcome.pdf_path.substr(folders.output.size())});
    ASSERT_FALSE(outcome.warnings.empty());
    EXPECT_TRUE(outcome.warnings.back().starts_with("the register could not mark receipt No. 000001 issued ("))
        << outcome.warnings.back();
    EXPECT_TRUE(outcome.warnings.back().ends_with(
        "; its row stays pending and is marked issued at the next start or the next receipt"))
        << outcome.warnings.back();

    job.issuer().recover();
    const auto issued = receipt_register::Receipt_Register::open(folders.output).receipts();
    ASSERT_EQ(issued.size(), 1u);
    EXPECT_EQ(issued[0].status, receipt_register::Receipt_Status::issued);
}

TEST_F(ReceiptJob, RequestsBecomeNumberedPdfReceipts) {
    if (!tools::require("soffice", "libreoffice-writer-nogui") || !tools::require("pdftotext", "poppler-utils") ||
        !tools::require("pdfimages", "poppler-utils"))
        return;
    const Folders folders = Folders::under_root();
    std::filesystem::create_directories(platform::to_path(folders.seals));
    fixture::write_file(folders.seals + "免用統一發票章.png", fixture::png_bytes(330, 300));
    fixture::write_file(folders.seals + "負責人章.old.png", fixture::png_bytes(120, 120));

    {
        Receipt_Job job(resources);
        testing::internal::CaptureStdout();
        std::thread worker([&] { run_receipts(job, queues, events); });
        ASSERT_TRUE(press(json::object()));  // a bad request is survived
        ASSERT_TRUE(tools::wait_until([&] { return events["get_receipt"].is_set(); }));
        ASSERT_TRUE(tools::wait_until([&] { return !events["get_receipt"].is_set(); }));
        ASSERT_TRUE(press(request()));
        ASSERT_TRUE(taken());
        close_window();  // while the job runs: it is finished first
        worker.join();
        const std::string printed = testing::internal::GetCapturedStdout();
        EXPECT_NE(printed.find("[完成！] " + folders.output + "免用統一發票收據000001 - 買受人：台灣測試有限公司；統一編號：12345678（記錄日期："),
                  std::string::npos)
            << printed;
        EXPECT_TRUE(printed.ends_with("下一筆資料\n")) << printed;
    }

    // A second start of the program goes on counting.
    Receipt_Job restarted(resources);
    json second = request("");
    second["顯示日期"] = false;
    testing::internal::CaptureStdout();
    const ReceiptOutcome outcome = restarted.make(second);
    testing::internal::GetCapturedStdout();
    ASSERT_TRUE(outcome.written) << outcome.error;
    EXPECT_EQ(outcome.number, 2);

    const auto names = receipts(folders);
    ASSERT_EQ(names.size(), 2u);
    EXPECT_TRUE(names[0].starts_with("免用統一發票收據000001 - 買受人：台灣測試有限公司；統一編號：12345678（記錄日期："));
    EXPECT_TRUE(names[1].starts_with("免用統一發票收據000002 - 統一編號：12345678（記錄日期："));
    for (const auto& name : names) EXPECT_TRUE(name.ends_with("日）.pdf")) << name;

    const std::string first_pdf = folders.output + names[0];
    const std::string text = tools::pdf_text_without_spaces(first_pdf);
    for (const char* expected : {"No.000001", "買受人台灣測試有限公司", "統一編號12345678", "中華民國114年1月5日", "蘋果350150",
                                 "香蕉21224", "鳳梨酥１０25250", "---肆貳肆"})
        EXPECT_NE(text.find(expected), std::string::npos) << expected << " in " << text;

    // Both seals, each placed with its own proportions (equal resolution across and down).
    const auto images = tools::run("pdfimages -list " + tools::quote(first_pdf)).output;
    int pictures = 0;
    std::istringstream lines(images);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream fields(line);
        std::string page, number, type, width, height, color, comp, bpc, enc, interp, object, generation, x_ppi, y_ppi;
        fields >> page >> number >> type >> width >> height >> color >> comp >> bpc >> enc >> interp >> object >>
            generation >> x_ppi >> y_ppi;
        if (type != "image") continue;
        ++pictures;
        EXPECT_EQ(x_ppi, y_ppi) << line;
        EXPECT_NEAR(std::stod(width) / std::stod(x_ppi), width == "330" ? 1.3189 : 0.4173, 0.01) << line;
    }
    EXPECT_EQ(pictures, 2) << images;

    const std::string second_text = tools::pdf_text_without_spaces(folders.output + names[1]);
    EXPECT_EQ(second_text.find("114"), std::string::npos) << "the date is hidden";
}
