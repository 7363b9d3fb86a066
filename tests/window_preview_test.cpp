// The preview window follows the form: a quiet period after the last change, one
// request for a burst of typing, a line while it lags, the reason while the form would be
// refused, and 輸出單據 only for the receipt on screen. The last test runs the real
// worker with LibreOffice behind it.
#include "docx_fixture.hpp"
#include "pdf_page_view.hpp"
#include "preview_window.hpp"
#include "receipt_job.hpp"
#include "window_fixture.hpp"

#include <platform/root_folder.hpp>
#include <receipt_channels/worker_entry.hpp>

#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTest>

#include <filesystem>
#include <thread>

using receipt_window::Preview_Window;
using receipt_window::Receipt_Preview;
namespace fs = std::filesystem;

namespace {

class Window_Preview : public window_test::Window_Test {
protected:
    void fill_in(receipt_window::Receipt_Window& window) {
        window_test::type_text(window.set_table->entry("買受人"), "預覽商行");
        type_rows(window, {{"綠茶", "3", "45"}});
    }
    Preview_Window* open_preview(receipt_window::Receipt_Window& window) {
        click(top_bar_buttons(window).at(5));
        Preview_Window* preview = window.preview->window();
        EXPECT_TRUE(preview != nullptr && preview->isVisible());
        return preview;
    }
    // What the window asked the worker for, once it has asked.
    std::optional<nlohmann::json> asked(std::chrono::milliseconds within = std::chrono::seconds(2)) {
        std::optional<nlohmann::json> item;
        window_test::wait_for([&] { return (item = queues["preview"].try_get()).has_value(); }, within);
        return item;
    }
    // Answers as the worker does: a PDF in a file of its own, the taker's to remove.
    std::string answer(long long id) {
        const std::string pdf = tools::fresh_folder("previews") + "/preview-" + std::to_string(id) + ".pdf";
        QPdfWriter writer(QString::fromStdString(pdf));
        writer.setPageSize(QPageSize(QPageSize::A5));
        QPainter painter(&writer);
        painter.drawText(100, 100, "No. ------");
        painter.end();
        queues["preview_done"].put(PreviewOutcome{.id = id, .made = true, .pdf_path = pdf});
        return pdf;
    }
    static bool shows(receipt_window::Receipt_Window& window, const nlohmann::json& request) {
        return window.preview->shown_request() == request;
    }
};

}  // namespace

TEST_F(Window_Preview, ThePreviewFollowsTheFormAndIssuesOnlyWhatItShows) {
    auto window = open_window();
    fill_in(*window);
    Preview_Window* preview = open_preview(*window);

    // Opening asks at once; the answer is shown and its file goes.
    const auto first = asked(std::chrono::milliseconds(100));
    ASSERT_TRUE(first);
    EXPECT_EQ((*first)["request"], *window->read_form().request);
    const std::string pdf = answer((*first)["id"]);
    ASSERT_TRUE(window_test::wait_for([&] { return shows(*window, (*first)["request"]); }));
    EXPECT_FALSE(fs::exists(pdf)) << "the preview's file stays";
    EXPECT_TRUE(preview->lag_line->isHidden());
    EXPECT_TRUE(preview->reason_line->isHidden());
    EXPECT_TRUE(preview->issue_button->isEnabled());

    // A seal's picture put into its folder changes the receipt the form makes.
    fs::create_directories(platform::to_path(receipt_window::Receipt_Window::seal_folder()));
    fixture::write_file(receipt_window::Receipt_Window::seal_folder() + "負責人章.png", fixture::png_bytes(120, 120));
    window->status_loop_run();
    EXPECT_FALSE(preview->lag_line->isHidden());
    const auto with_seal = asked();
    ASSERT_TRUE(with_seal);
    EXPECT_EQ((*with_seal)["request"], (*first)["request"]);
    answer((*with_seal)["id"]);
    ASSERT_TRUE(window_test::wait_for([&] { return preview->lag_line->isHidden(); }));

    // A burst of typing: the pages lag at once, and one request follows the quiet period.
    QLineEdit* quantity = cell(*window, "商品數量", 0);
    quantity->setFocus();
    for (const auto key : {Qt::Key_0, Qt::Key_1, Qt::Key_2}) QTest::keyClick(quantity, key);
    EXPECT_FALSE(preview->lag_line->isHidden());
    EXPECT_FALSE(preview->issue_button->isEnabled());
    EXPECT_FALSE(asked(std::chrono::milliseconds(Receipt_Preview::kQuietPeriodMs - 150)));
    const auto second = asked();
    ASSERT_TRUE(second);
    EXPECT_EQ((*second)["request"]["數量"], nlohmann::json::array({3012}));
    EXPECT_TRUE(queues["preview"].empty());

    // Pressed while the pages lag, the preview's 輸出單據 sends nothing.
    preview->issue_button->setEnabled(true);  // as a press on its way when the form changed
    click(preview->issue_button);
    EXPECT_TRUE(queues["get_receipt"].empty());

    answer((*second)["id"]);
    ASSERT_TRUE(window_test::wait_for([&] { return shows(*window, (*second)["request"]); }));
    EXPECT_TRUE(preview->lag_line->isHidden());
    ASSERT_TRUE(preview->issue_button->isEnabled());
    QTest::keyClick(preview, Qt::Key_Return, Qt::ControlModifier);
    ASSERT_FALSE(queues["get_receipt"].empty()) << "Ctrl+Enter in the preview issued nothing";
    EXPECT_EQ(queues["get_receipt"].get(), (*second)["request"]);

    // A form the window would refuse asks for nothing: the last pages stay, under the reason.
    window_test::type_text(quantity, "x");
    EXPECT_FALSE(asked(std::chrono::milliseconds(Receipt_Preview::kQuietPeriodMs + 200)));
    EXPECT_FALSE(preview->reason_line->isHidden());
    EXPECT_NE(preview->reason_line->text().toStdString().find("1"), std::string::npos)
        << preview->reason_line->text().toStdString();
    EXPECT_FALSE(preview->issue_button->isEnabled());

    // Back to the form shown: nothing to ask, and the pages are current again.
    QTest::keyClick(quantity, Qt::Key_Backspace);
    EXPECT_FALSE(asked(std::chrono::milliseconds(Receipt_Preview::kQuietPeriodMs + 200)));
    EXPECT_TRUE(preview->reason_line->isHidden());
    EXPECT_TRUE(preview->lag_line->isHidden());
    EXPECT_TRUE(preview->issue_button->isEnabled());
}

TEST_F(Window_Preview, AnswersThatShowNothingDimThePagesUnderTheirReason) {
    auto window = open_window();
    fill_in(*window);
    Preview_Window* preview = open_preview(*window);
    const auto first = asked();
    ASSERT_TRUE(first);
    queues["preview_done"].put(PreviewOutcome{.id = (*first)["id"], .made = false, .error = "the template is missing"});
    ASSERT_TRUE(window_test::wait_for([&] { return !preview->reason_line->isHidden(); }));
    EXPECT_EQ(preview->reason_line->text().toStdString(), "the template is missing");
    EXPECT_FALSE(preview->issue_button->isEnabled());

    // A PDF that cannot be read is no preview of the form either.
    QTest::keyClick(cell(*window, "商品數量", 0), Qt::Key_5);
    const auto second = asked();
    ASSERT_TRUE(second);
    const std::string broken = tools::fresh_folder("previews") + "/broken.pdf";
    fixture::write_file(broken, "%PDF-1.7 and nothing more");
    queues["preview_done"].put(PreviewOutcome{.id = (*second)["id"], .made = true, .pdf_path = broken});
    ASSERT_TRUE(window_test::wait_for([&] { return !fs::exists(broken); }));
    EXPECT_FALSE(preview->reason_line->isHidden());
    EXPECT_FALSE(preview->issue_button->isEnabled());
    EXPECT_TRUE(window->preview->shown_request().is_null());

    // Esc puts the preview away; the eye brings it back.
    QTest::keyClick(preview, Qt::Key_Escape);
    ASSERT_TRUE(window_test::wait_for([&] { return window->preview->window() == nullptr; }));
    EXPECT_NE(open_preview(*window), nullptr);
}

TEST_F(Window_Preview, ThePreviewWindowOpensWhereItWasLeft) {
    QRect left_at;
    {
        auto window = open_window();
        Preview_Window* preview = open_preview(*window);
        preview->move(preview->pos() + QPoint(-40, 30));
        ASSERT_TRUE(window_test::wait_for([&] { return preview->frameGeometry().topLeft() != QPoint(); }));
        left_at = preview->frameGeometry();
        preview->close();
    }
    auto window = open_window();
    EXPECT_EQ(open_preview(*window)->frameGeometry(), left_at);
}

TEST_F(Window_Preview, IssuedFromThePreviewAndClosedWithItOpen) {
    if (!tools::require("soffice", "libreoffice-writer-nogui")) return;
    receipt_worker::Receipt_Job job(window_test::pictures());
    link_busy_flag(queues, events);
    std::thread worker([&] { receipt_worker::run_receipts(job, queues, events); });
    testing::internal::CaptureStdout();
    auto window = open_window();
    fill_in(*window);
    Preview_Window* preview = open_preview(*window);
    ASSERT_TRUE(window_test::wait_for([&] { return shows(*window, *window->read_form().request); },
                                      std::chrono::seconds(120)));
    EXPECT_TRUE(preview->reason_line->isHidden());
    click(preview->issue_button);
    ASSERT_TRUE(window_test::wait_for([&] { return window->status_line->text() == "Written No. 000001"; },
                                      std::chrono::seconds(60)))
        << window->status_line->text().toStdString();

    // Closed while a preview is being made: everything ends within a conversion.
    QTest::keyClick(cell(*window, "商品數量", 0), Qt::Key_5);
    QTest::qWait(Receipt_Preview::kQuietPeriodMs + 20);
    const auto closing = std::chrono::steady_clock::now();
    window->app->close();
    window.reset();
    receipt_window::shutdown_sequence(queues, events);
    worker.join();
    EXPECT_LT(std::chrono::steady_clock::now() - closing, std::chrono::seconds(5));
    testing::internal::GetCapturedStdout();
    std::size_t left = 0;
    for (const auto& entry : fs::directory_iterator(platform::to_path(job.folders().previews))) left += entry.is_regular_file();
    EXPECT_EQ(left, 0u) << "previews stay after the end";
}
