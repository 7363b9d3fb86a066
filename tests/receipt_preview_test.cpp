#include "docx_fixture.hpp"
#include "receipt_job.hpp"
#include "test_env.hpp"
#include "tools.hpp"

#include <platform/root_folder.hpp>
#include <receipt_channels/channels.hpp>
#include <receipt_channels/worker_entry.hpp>
#include <receipt_register/receipt_register.hpp>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <regex>
#include <sstream>
#include <thread>

using namespace receipt_worker;
using nlohmann::json;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

// Seven rows, both seals, a date picked in the past.
json full_form(const std::string& buyer) {
    json form = {{"買受人", buyer}, {"買受人統一編號", "12345675"}, {"存檔路徑", "ignored"},
                 {"顯示免用統一發票章", true}, {"顯示負責人章", true}, {"顯示日期", true},
                 {"年", 2026}, {"月", 11}, {"日", 28}};
    for (int i = 1; i <= 7; ++i) {
        form["品名"].push_back("品項" + std::to_string(i));
        form["數量"].push_back(i);
        form["單件價格"].push_back(10 * i + 5);
    }
    return form;
}

// Every file under `folder` with its size and time: what "nothing written" compares.
std::map<std::string, std::pair<std::uintmax_t, fs::file_time_type>> snapshot(const std::string& folder) {
    std::map<std::string, std::pair<std::uintmax_t, fs::file_time_type>> files;
    for (const auto& entry : fs::recursive_directory_iterator(platform::to_path(folder)))
        if (entry.is_regular_file()) files[entry.path().string()] = {entry.file_size(), entry.last_write_time()};
    return files;
}

std::size_t files_in(const std::string& folder) {
    std::size_t count = 0;
    for (const auto& entry : fs::directory_iterator(platform::to_path(folder))) count += entry.is_regular_file();
    return count;
}

// Every word of the PDF with the box it stands in, the number aside: what the receipt
// says and where.
std::vector<std::string> words_of(const std::string& pdf) {
    const std::string boxes = tools::run("pdftotext -bbox " + tools::quote(pdf) + " -").output;
    const std::regex number(R"(>(No\.|------|[0-9]{6})</word>)");
    std::vector<std::string> words;
    std::istringstream lines(boxes);
    for (std::string line; std::getline(lines, line);)
        if (line.find("<word ") != std::string::npos && !std::regex_search(line, number)) words.push_back(line);
    return words;
}

class ReceiptPreview : public testing::Test {
protected:
    ScopedEnv root{"TARNWICKERY_ROOT",
                   tools::fresh_folder(testing::UnitTest::GetInstance()->current_test_info()->name()).c_str()};
    std::string resources = tools::program_dir() + "/格式範本/";
    Queue_All_variable queues = make_queue_registry();
    Event_All_variable events = make_event_registry();

    void SetUp() override {
        link_busy_flag(queues, events);
        const Folders folders = Folders::under_root();
        fs::create_directories(platform::to_path(folders.seals));
        fixture::write_file(folders.seals + "免用統一發票章.png", fixture::png_bytes(330, 300));
        fixture::write_file(folders.seals + "負責人章.png", fixture::png_bytes(120, 120));
    }

    void ask(long long id, const json& form) { queues["preview"].put({{"id", id}, {"request", form}}); }
    PreviewOutcome answer() {
        std::optional<json> item;
        EXPECT_TRUE(tools::wait_until([&] { return (item = queues["preview_done"].try_get()).has_value(); }));
        return item ? item->get<PreviewOutcome>() : PreviewOutcome{};
    }
    void close_window() {
        queues["end"].put(nullptr);
        events["end"].set();
        queues["get_receipt"].put(nullptr);
    }
};

}  // namespace

TEST_F(ReceiptPreview, PreviewsShowTheReceiptAndSpendNothing) {
    if (!tools::require("soffice", "libreoffice-writer-nogui") || !tools::require("pdftotext", "poppler-utils")) return;
    Receipt_Job job(resources);
    const Folders folders = job.folders();
    testing::internal::CaptureStdout();
    std::thread worker([&] { run_receipts(job, queues, events); });
    const auto before = snapshot(folders.output);

    std::atomic<bool> ever_busy = false, previewing = true;
    std::thread watch([&] {
        while (previewing) ever_busy = ever_busy || events["get_receipt"].is_set();
    });
    std::vector<std::string> preview_words;
    for (long long id = 1; id <= 50; ++id) {
        json form = full_form("預覽測試商行");
        form["單件價格"][0] = id;  // each preview a different form
        ask(id, form);
        const PreviewOutcome made = answer();
        ASSERT_TRUE(made.made) << made.error;
        EXPECT_EQ(made.id, id);
        if (id == 50) {
            EXPECT_NE(tools::pdf_text_without_spaces(made.pdf_path).find("No.------"), std::string::npos);
            preview_words = words_of(made.pdf_path);
        }
        fs::remove(platform::to_path(made.pdf_path));  // the taker's to remove
    }
    ask(51, json::object());
    const PreviewOutcome refused = answer();
    EXPECT_FALSE(refused.made);
    EXPECT_FALSE(refused.error.empty());
    previewing = false;
    watch.join();
    EXPECT_FALSE(ever_busy) << "a preview set the busy flag";
    EXPECT_EQ(snapshot(folders.output), before) << "a preview wrote into the receipt folder";
    EXPECT_EQ(files_in(folders.previews), 0u);

    json form = full_form("預覽測試商行");
    form["單件價格"][0] = 50;
    queues["get_receipt"].put(form);
    std::optional<json> outcome;
    ASSERT_TRUE(tools::wait_until([&] { return (outcome = queues["outcome"].try_get()).has_value(); }));
    const auto written = outcome->get<ReceiptOutcome>();
    ASSERT_TRUE(written.written) << written.error;
    EXPECT_EQ(written.number, 1) << "previews took no number";
    EXPECT_EQ(words_of(written.pdf_path), preview_words);
    EXPECT_GT(preview_words.size(), 60u);
    close_window();
    worker.join();
    testing::internal::GetCapturedStdout();
}

TEST_F(ReceiptPreview, APressGoesBeforeWaitingPreviewsAndOnlyTheNewestIsMade) {
    if (!tools::require("soffice", "libreoffice-writer-nogui") || !tools::require("pdftotext", "poppler-utils")) return;
    Receipt_Job job(resources);
    const Folders folders = job.folders();
    // Filled, a preview gives way to a receipt before it converts, and leaves nothing.
    EXPECT_FALSE(job.preview({{"id", 1}, {"request", full_form("讓路")}}, [] { return true; }));
    EXPECT_EQ(files_in(folders.previews), 0u);
    testing::internal::CaptureStdout();
    std::thread worker([&] { run_receipts(job, queues, events); });

    // The first preview's .docx appears as its conversion starts.
    ask(1, full_form("預覽中的表單"));
    ASSERT_TRUE(tools::wait_until([&] { return files_in(folders.previews) > 0; }));
    queues["get_receipt"].put(full_form("按下時的表單"));
    for (long long id = 2; id <= 4; ++id) ask(id, full_form("預覽中的表單" + std::to_string(id)));

    std::vector<std::string> order;
    std::optional<json> item;
    while (order.size() < 3) {
        ASSERT_TRUE(tools::wait_until([&] {
            return (item = queues["outcome"].try_get()) || (item = queues["preview_done"].try_get());
        }));
        if (item->contains("written")) {
            const auto written = item->get<ReceiptOutcome>();
            ASSERT_TRUE(written.written) << written.error;
            const std::string text = tools::pdf_text_without_spaces(written.pdf_path);
            EXPECT_NE(text.find("按下時的表單"), std::string::npos) << text;
            order.push_back("receipt");
        } else {
            const auto made = item->get<PreviewOutcome>();
            ASSERT_TRUE(made.made) << made.error;
            fs::remove(platform::to_path(made.pdf_path));
            order.push_back("preview " + std::to_string(made.id));
        }
    }
    EXPECT_EQ(order, (std::vector<std::string>{"preview 1", "receipt", "preview 4"}));
    std::size_t receipts = 0;
    for (const auto& entry : fs::directory_iterator(platform::to_path(folders.output)))
        receipts += entry.path().extension() == ".pdf";
    EXPECT_EQ(receipts, 1u);

    // A preview still asked for when the window closes is not waited for, and none is left.
    ask(5, full_form("關閉時"));
    close_window();
    const auto closed = std::chrono::steady_clock::now();
    worker.join();
    EXPECT_LT(std::chrono::steady_clock::now() - closed, 5s);
    EXPECT_EQ(files_in(folders.previews), 0u);
    testing::internal::GetCapturedStdout();
}
