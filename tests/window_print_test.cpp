// Printing from the window, against a CUPS scheduler of the test's own: the 列印 switch
// prints each receipt the worker writes, the print button prints the last one again on
// the printer chosen, and the status line says how it went.
#include "docx_fixture.hpp"
#include "print_server.hpp"
#include "receipt_job.hpp"
#include "window_fixture.hpp"

#include <platform/root_folder.hpp>
#include <widget_kit/theme.hpp>

#include <set>
#include <thread>

namespace {

class Window_Print : public window_test::Window_Test {
protected:
    PrintServer server{tools::fresh_folder("cups-" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()))};

    static std::string line_tip(receipt_window::Receipt_Window& window) {
        return window.status_line->toolTip().toStdString();
    }
    static QColor line_colour(receipt_window::Receipt_Window& window) {
        return window.status_line->palette().color(QPalette::WindowText);
    }
    // Waits, running the window's event loop, until `count` jobs reached `printer`.
    std::vector<ArrivedJob> jobs_arrive(const std::string& printer, std::size_t count,
                                        std::chrono::seconds limit = std::chrono::seconds(30)) {
        window_test::wait_for([&] { return server.jobs(printer).size() >= count; }, limit);
        return server.jobs(printer);
    }
    // Waits until the status line's whole text is `expected`.
    static bool line_becomes(receipt_window::Receipt_Window& window, const std::string& expected) {
        return window_test::wait_for([&] { return line_tip(window) == expected; }, std::chrono::seconds(30));
    }
};

}  // namespace

TEST_F(Window_Print, WithThePrintSwitchOnTheWorkersReceiptGoesToThePrinter) {
    if (!tools::require("soffice", "libreoffice-writer-nogui")) return;
    server.add_printer("counter", {.is_default = true});
    server.add_printer("office");
    receipt_worker::Receipt_Job job(window_test::pictures());
    std::thread worker([&] { receipt_worker::run_receipts(job, queues, events); });
    // Whatever the test finds, the worker is ended and joined.
    const std::unique_ptr<std::thread, std::function<void(std::thread*)>> ending(&worker, [this](std::thread* running) {
        receipt_window::shutdown_sequence(queues, events);
        running->join();
    });
    {
        auto window = open_window();
        EXPECT_FALSE(window->print_button->isEnabled()) << "nothing to print before the first receipt";
        click(window->switch_2);
        window_test::type_text(window->set_table->entry("買受人"), "窗口列印商行");
        type_rows(*window, {{"綠茶", "3", "45"}});
        click(window->set_button.button("輸出單據"));

        const auto arrived = jobs_arrive("counter", 1, std::chrono::seconds(180));
        ASSERT_EQ(arrived.size(), 1u) << server.log_tail();
        EXPECT_EQ(arrived[0].copies, 1);
        ASSERT_TRUE(line_becomes(*window, "已輸出並列印 No. 000001")) << line_tip(*window);
        EXPECT_EQ(fixture::read_file(arrived[0].document), fixture::read_file(window->status_line->receipt()));

        // The dialog's choice prints the receipt again and is offered the next time.
        ASSERT_TRUE(window->print_button->isEnabled());
        printer_answer = platform::PrintRequest{.printer = "office", .copies = 2};
        click(window->print_button);
        const auto at_office = jobs_arrive("office", 1);
        ASSERT_EQ(at_office.size(), 1u) << server.log_tail();
        EXPECT_EQ(at_office[0].copies, 2);
        EXPECT_TRUE(line_becomes(*window, "已列印 No. 000001（2 份）")) << line_tip(*window);
        printer_answer.reset();
        click(window->print_button);
        ASSERT_EQ(offered_printers.size(), 2u);
        EXPECT_EQ(offered_printers[0].printer, "") << "the default printer until one is chosen";
        EXPECT_EQ(offered_printers[1].printer, "office");
        EXPECT_EQ(offered_printers[1].copies, 2);
        window->app->close();
    }
    EXPECT_EQ(server.jobs("office").size(), 1u) << "a cancelled dialog prints nothing";
}

TEST_F(Window_Print, AFailedPrintSaysWhyAndTheChosenPrinterTakesTheNextReceipts) {
    server.add_printer("office");  // not the default: there is none
    const std::string folder = tools::fresh_folder("made");
    const std::string pdf = folder + "免用統一發票收據000007 - 測試.pdf";
    fixture::write_file(pdf, "%PDF-1.7 stand-in receipt");
    auto window = open_window();

    queues["outcome"].put(ReceiptOutcome{.written = false, .error = "cannot write receipts"});
    window->status_loop_run();
    EXPECT_FALSE(window->print_button->isEnabled()) << "a receipt that failed is nothing to print";

    click(window->switch_2);
    queues["outcome"].put(ReceiptOutcome{.written = true, .pdf_path = pdf, .number = 7, .warnings = {"the seal 負責人章 was not printed"}});
    window->status_loop_run();
    EXPECT_TRUE(line_becomes(*window, "已輸出 No. 000007：未列印，no default printer is set; name one of: office；"
                                      "the seal 負責人章 was not printed"))
        << line_tip(*window);
    EXPECT_EQ(line_colour(*window), Widget_Kit::theme().warning) << "the receipt itself was written";
    EXPECT_EQ(window->status_line->receipt(), pdf) << "a click still opens it";

    printer_answer = platform::PrintRequest{.printer = "nowhere"};
    click(window->print_button);
    EXPECT_TRUE(line_becomes(*window, "未列印 No. 000007：there is no printer named \"nowhere\"; the printers are: office"))
        << line_tip(*window);
    EXPECT_EQ(line_colour(*window), Widget_Kit::theme().error);
    EXPECT_TRUE(server.jobs("office").empty());

    // Once a printer is chosen, each receipt written goes there, one copy whatever the dialog's copies.
    printer_answer = platform::PrintRequest{.printer = "office", .copies = 3};
    click(window->print_button);
    ASSERT_EQ(jobs_arrive("office", 1).size(), 1u) << server.log_tail();
    queues["outcome"].put(ReceiptOutcome{.written = true, .pdf_path = pdf, .number = 8});
    window->status_loop_run();
    const auto arrived = jobs_arrive("office", 2);
    ASSERT_EQ(arrived.size(), 2u) << server.log_tail();
    EXPECT_EQ(arrived[0].copies, 3);
    EXPECT_EQ(arrived[1].copies, 1);
    EXPECT_TRUE(line_becomes(*window, "已輸出並列印 No. 000008")) << line_tip(*window);

    // A receipt written while the dialog is open is printed as such; the button still
    // prints the one it was pressed for.
    const std::string newer = folder + "免用統一發票收據000009 - 測試.pdf";
    fixture::write_file(newer, "%PDF-1.7 newer receipt");
    printer_answer = platform::PrintRequest{.printer = "office"};
    while_choosing = [&] {
        queues["outcome"].put(ReceiptOutcome{.written = true, .pdf_path = newer, .number = 9});
        window->status_loop_run();
    };
    click(window->print_button);
    const auto all = jobs_arrive("office", 4);
    ASSERT_EQ(all.size(), 4u) << server.log_tail();
    std::multiset<std::string> printed{fixture::read_file(all[2].document), fixture::read_file(all[3].document)};
    EXPECT_EQ(printed, (std::multiset<std::string>{"%PDF-1.7 stand-in receipt", "%PDF-1.7 newer receipt"}));
}
