// A receipt typed into the window becomes a PDF, made by the real worker with
// LibreOffice on its own thread while the window stays responsive; the status line
// shows what became of it, and of a press the worker could not make.
#include "docx_fixture.hpp"
#include "receipt_job.hpp"
#include "window_fixture.hpp"

#include <platform/root_folder.hpp>
#include <widget_kit/theme.hpp>

#include <QTest>

#include <filesystem>
#include <thread>

namespace {

class Window_End_To_End : public window_test::Window_Test {};

std::string without_white_space(const std::string& text) {
    std::string out;
    for (char c : text)
        if (!std::isspace(static_cast<unsigned char>(c))) out += c;
    return out;
}

}  // namespace

TEST_F(Window_End_To_End, TypedReceiptBecomesItsPdf) {
    if (!tools::require("soffice", "libreoffice-writer-nogui") || !tools::require("pdftotext", "poppler-utils")) return;
    receipt_worker::Receipt_Job job(window_test::pictures());
    link_busy_flag(queues, events);  // as the launcher wires them
    std::thread worker([&] { receipt_worker::run_receipts(job, queues, events); });
    testing::internal::CaptureStdout();
    {
        auto window = open_window();
        window_test::type_text(window->set_table->entry("買受人"), "窗口測試商行");
        window_test::type_text(window->set_table->entry("統一編號"), "04595257");
        type_rows(*window, {{"綠茶", "3", "45"}, {"紅豆餅", "１２", "20"}});
        ASSERT_TRUE(window_test::wait_for([&] { return window->mylabel_time_text->get() == "總額375元"; }));

        QPushButton* output_button = window->set_button.button("輸出單據");
        click(output_button);
        // The converter, started with the worker, may finish the receipt between two runs
        // of the status loop, so the button need not ever show the worker busy.
        const auto has_pdf = [&] {
            for (const auto& entry : std::filesystem::directory_iterator(platform::to_path(job.folders().output)))
                if (entry.path().extension() == ".pdf") return true;
            return false;
        };
        ASSERT_TRUE(window_test::wait_for([&] { return has_pdf() && output_button->text() == "輸出單據"; },
                                          std::chrono::seconds(120)))
            << "no PDF, or the button did not come back";

        // The status line names the receipt and opens it; then a failure says why.
        ASSERT_TRUE(window_test::wait_for([&] { return !window->status_line->text().isEmpty(); }));
        EXPECT_EQ(window->status_line->text(), "Written No. 000001");
        click(window->status_line);
        ASSERT_EQ(opened_files.size(), 1u);
        EXPECT_TRUE(std::filesystem::exists(platform::to_path(opened_files[0]))) << opened_files[0];

        const auto output = platform::to_path(job.folders().output).parent_path();
        const auto kept = output.parent_path() / "kept";
        std::filesystem::rename(output, kept);
        fixture::write_file(platform::from_path(output), "in the folder's place");
        ASSERT_TRUE(window_test::wait_for([&] { return !events["get_receipt"].is_set(); })) << "the worker stayed busy";
        answer = true;
        click(output_button);
        EXPECT_EQ(questions, std::vector<std::string>{"The same as the last receipt, No. 000001. Issue it all the same?"});
        ASSERT_TRUE(window_test::wait_for([&] { return window->status_line->text().startsWith("cannot write receipts"); },
                                          std::chrono::seconds(30)))
            << window->status_line->text().toStdString();
        EXPECT_EQ(window->status_line->palette().color(QPalette::WindowText), Widget_Kit::theme().error);
        std::filesystem::remove(output);
        std::filesystem::rename(kept, output);
        window->app->close();
    }
    receipt_window::shutdown_sequence(queues, events);
    worker.join();
    const std::string printed = testing::internal::GetCapturedStdout();

    std::vector<std::string> pdfs;
    for (const auto& entry : std::filesystem::directory_iterator(platform::to_path(job.folders().output)))
        if (entry.path().extension() == ".pdf") pdfs.push_back(platform::from_path(entry.path()));
    ASSERT_EQ(pdfs.size(), 1u) << printed;
    EXPECT_NE(pdfs[0].find("免用統一發票收據000001 - 買受人：窗口測試商行；統一編號：04595257（記錄日期："), std::string::npos)
        << pdfs[0];
    const std::string text = without_white_space(tools::run("pdftotext -layout " + tools::quote(pdfs[0]) + " -").output);
    for (const char* expected : {"買受人窗口測試商行", "04595257", "綠茶345135", "紅豆餅1220240", "參柒伍"})
        EXPECT_NE(text.find(expected), std::string::npos) << expected << " in " << text;
}
