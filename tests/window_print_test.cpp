// Printing from the window, against a CUPS scheduler of the test's own: the 列印 switch
// prints each receipt the worker writes, the print button prints the last one again on
// the printer chosen, and the status line says how it went.
#include "docx_fixture.hpp"
#include "print_server.hpp"
#include "receipt_job.hpp"
#include "stand_in_receipts.hpp"
#include "window_fixture.hpp"

#include <platform/root_folder.hpp>
#include <receipt_register/receipt_files.hpp>
#include <receipt_register/receipt_register.hpp>
#include <widget_kit/theme.hpp>

#include <set>
#include <thread>

namespace {

std::string test_name() { return testing::UnitTest::GetInstance()->current_test_info()->name(); }

class Window_Print : public window_test::Window_Test {
protected:
    // A register of the test's own: the worker numbers from it, the print button checks against it.
    ScopedEnv root{"TARNWICKERY_ROOT", tools::fresh_folder(test_name()).c_str()};
    std::string folder = receipt_register::receipt_folder();
    PrintServer server{tools::fresh_folder("cups-" + test_name())};

    static std::string line_tip(receipt_window::Receipt_Window& window) { return window_test::shown_tip(*window.status_line); }
    // Receipt `number` as the worker reports it, registered beside a stand-in PDF.
    ReceiptOutcome registered(long long number, std::vector<std::string> warnings = {}) {
        const std::string pdf = stand_in::register_receipt(folder, number, stand_in_pdf(number));
        return {.written = true, .pdf_path = pdf, .number = number, .warnings = std::move(warnings)};
    }
    static std::string stand_in_pdf(long long number) { return "%PDF-1.7 stand-in receipt " + std::to_string(number); }
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
        ASSERT_TRUE(line_becomes(*window, "Written and printed No. 000001")) << line_tip(*window);
        EXPECT_EQ(fixture::read_file(arrived[0].document), fixture::read_file(window->status_line->receipt()));

        // The dialog's choice prints the receipt again and is offered the next time.
        ASSERT_TRUE(window->print_button->isEnabled());
        printer_answer = platform::PrintRequest{.printer = "office", .copies = 2};
        click(window->print_button);
        const auto at_office = jobs_arrive("office", 1);
        ASSERT_EQ(at_office.size(), 1u) << server.log_tail();
        EXPECT_EQ(at_office[0].copies, 2);
        EXPECT_TRUE(line_becomes(*window, "Printed No. 000001 (2 copies)")) << line_tip(*window);
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
    auto window = open_window();

    queues["outcome"].put(ReceiptOutcome{.written = false, .error = "cannot write receipts"});
    window->status_loop_run();
    EXPECT_FALSE(window->print_button->isEnabled()) << "a receipt that failed is nothing to print";

    click(window->switch_2);
    const ReceiptOutcome seventh = registered(7, {"the seal 負責人章 was not printed"});
    queues["outcome"].put(seventh);
    window->status_loop_run();
    EXPECT_TRUE(line_becomes(*window, "Written No. 000007: not printed, no default printer is set; name one of: office; "
                                      "the seal 負責人章 was not printed"))
        << line_tip(*window);
    EXPECT_EQ(line_colour(*window), Widget_Kit::theme().warning) << "the receipt itself was written";
    EXPECT_EQ(window->status_line->receipt(), seventh.pdf_path) << "a click still opens it";

    printer_answer = platform::PrintRequest{.printer = "nowhere"};
    click(window->print_button);
    EXPECT_TRUE(line_becomes(*window, "Not printed No. 000007: there is no printer named \"nowhere\"; the printers are: office"))
        << line_tip(*window);
    EXPECT_EQ(line_colour(*window), Widget_Kit::theme().error);
    EXPECT_TRUE(server.jobs("office").empty());

    // Once a printer is chosen, each receipt written goes there, one copy whatever the dialog's copies.
    printer_answer = platform::PrintRequest{.printer = "office", .copies = 3};
    click(window->print_button);
    ASSERT_EQ(jobs_arrive("office", 1).size(), 1u) << server.log_tail();
    queues["outcome"].put(registered(8));
    window->status_loop_run();
    const auto arrived = jobs_arrive("office", 2);
    ASSERT_EQ(arrived.size(), 2u) << server.log_tail();
    EXPECT_EQ(arrived[0].copies, 3);
    EXPECT_EQ(fixture::read_file(arrived[0].document), stand_in_pdf(7));
    EXPECT_EQ(arrived[1].copies, 1);
    EXPECT_TRUE(line_becomes(*window, "Written and printed No. 000008")) << line_tip(*window);

    // A receipt written while the dialog is open is printed as such and keeps its line;
    // the button still prints the one it was pressed for, said after it.
    const ReceiptOutcome ninth = registered(9);
    printer_answer = platform::PrintRequest{.printer = "office"};
    while_choosing = [&] {
        queues["outcome"].put(ninth);
        window->status_loop_run();
    };
    click(window->print_button);
    const auto all = jobs_arrive("office", 4);
    ASSERT_EQ(all.size(), 4u) << server.log_tail();
    std::multiset<std::string> printed{fixture::read_file(all[2].document), fixture::read_file(all[3].document)};
    EXPECT_EQ(printed, (std::multiset<std::string>{stand_in_pdf(8), stand_in_pdf(9)}));
    EXPECT_TRUE(line_becomes(*window, "Written and printed No. 000009; Printed No. 000008")) << line_tip(*window);
    EXPECT_EQ(window->status_line->receipt(), ninth.pdf_path) << "a click opens the newest receipt";
}

// While a receipt sent is being made, the print button would print the one before it
// and the new receipt's number could go unseen.
TEST_F(Window_Print, ThePrintButtonWaitsForTheReceiptBeingMade) {
    server.add_printer("office", {.is_default = true});
    auto window = open_window();
    queues["outcome"].put(registered(7));
    window->status_loop_run();
    printer_answer = platform::PrintRequest{};

    type_rows(*window, {{"茶", "1", "20"}});
    click(window->set_button.button("輸出單據"));
    ASSERT_FALSE(queues["get_receipt"].empty());
    click(window->print_button);
    EXPECT_EQ(line_tip(*window), "The receipt is still being written; print once it is done");
    EXPECT_TRUE(offered_printers.empty()) << "no dialog while the receipt is being made";

    queues["outcome"].put(ReceiptOutcome{.written = false, .error = "cannot write receipts"});
    window->status_loop_run();
    click(window->print_button);
    EXPECT_EQ(offered_printers.size(), 1u);
    EXPECT_TRUE(line_becomes(*window, "Printed No. 000007")) << line_tip(*window);
}

// Each receipt's own print tells on its own line; an older receipt's failure that comes
// late is added to the newer line, never put in its place.
TEST_F(Window_Print, AnOlderReceiptsLateFailureIsAddedToTheNewerLine) {
    server.add_printer("office", {.is_default = true});
    auto window = open_window();
    click(window->switch_2);
    const ReceiptOutcome unprintable = {.written = true, .pdf_path = stand_in::register_receipt(folder, 7, "not a PDF"), .number = 7};
    queues["outcome"].put(unprintable);
    queues["outcome"].put(registered(8, {"the seal 負責人章 was not printed"}));
    window->status_loop_run();
    EXPECT_TRUE(line_becomes(*window, "Written and printed No. 000008: the seal 負責人章 was not printed; Not printed No. 000007: it is not a PDF file"))
        << line_tip(*window);
    EXPECT_EQ(line_colour(*window), Widget_Kit::theme().warning);
    EXPECT_EQ(window->status_line->receipt(), folder + "免用統一發票收據000008 - 測試.pdf");
    EXPECT_EQ(jobs_arrive("office", 1).size(), 1u);
}

// The print button prints what the register says was issued, as the print command does.
TEST_F(Window_Print, ThePrintButtonRefusesAVoidOrChangedReceipt) {
    server.add_printer("office", {.is_default = true});
    auto window = open_window();
    const ReceiptOutcome seventh = registered(7);
    queues["outcome"].put(seventh);
    window->status_loop_run();
    printer_answer = platform::PrintRequest{};

    receipt_register::Receipt_Register::open(folder).void_receipt(7, "買受人寫錯", "2025-03-09 10:00:00");
    click(window->print_button);
    EXPECT_TRUE(line_becomes(*window, "Not printed No. 000007: it is void (買受人寫錯)")) << line_tip(*window);
    EXPECT_EQ(line_colour(*window), Widget_Kit::theme().error);

    const ReceiptOutcome eighth = registered(8);
    queues["outcome"].put(eighth);
    window->status_loop_run();
    fixture::write_file(eighth.pdf_path, stand_in_pdf(8) + " changed");
    click(window->print_button);
    EXPECT_TRUE(line_becomes(*window, "Not printed No. 000008: its PDF " + eighth.pdf_path +
                                          " has changed since it was issued (its SHA-256 is not the one in the register)"))
        << line_tip(*window);
    EXPECT_TRUE(server.jobs("office").empty());
}
