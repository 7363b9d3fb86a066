// What the window tells the user: the worker's outcome under the output button, what
// it refuses to send and why, the cell at fault, and the date that will be printed.
#include "window_fixture.hpp"

#include <receipt_channels/request_rules.hpp>

#include <platform/clock.hpp>
#include <widget_kit/entry.hpp>
#include <widget_kit/theme.hpp>

#include <QTest>

using window_test::Row;

namespace {

class Window_Outcome : public window_test::Window_Test {
protected:
    static std::string line_text(receipt_window::Receipt_Window& window) { return window_test::shown_text(*window.status_line); }
    static std::string line_tip(receipt_window::Receipt_Window& window) { return window_test::shown_tip(*window.status_line); }
    static QColor line_colour(receipt_window::Receipt_Window& window) {
        return window.status_line->palette().color(QPalette::WindowText);
    }
    void report(const ReceiptOutcome& outcome) { queues["outcome"].put(outcome); }
    void press(receipt_window::Receipt_Window& window) { click(window.set_button.button("輸出單據")); }
};

const std::string kFolder = "/made/up/免用統一發票收據/";

}  // namespace

TEST_F(Window_Outcome, WorkerOutcomeShowsUntilTheNextPress) {
    auto window = open_window();
    EXPECT_EQ(line_text(*window), "");

    const std::string pdf = kFolder + "免用統一發票收據000123 - 買受人：甲（記錄日期：2026年12月07日）.pdf";
    report({.written = true, .pdf_path = pdf, .number = 123});
    window->status_loop_run();
    EXPECT_EQ(line_text(*window), "Written No. 000123");
    EXPECT_EQ(line_colour(*window), Widget_Kit::theme().text);
    click(window->status_line);
    EXPECT_EQ(opened_files, std::vector<std::string>{pdf}) << "a click opens the receipt";

    report({.written = true, .pdf_path = kFolder + "免用統一發票收據000124 - （記錄日期：2026年12月07日）.pdf",
            .number = 124, .warnings = {"the seal 負責人章 was not printed", "統一編號 12345678 fails the check-digit rule"}});
    window->status_loop_run();
    EXPECT_EQ(line_tip(*window),
              "Written No. 000124: the seal 負責人章 was not printed; 統一編號 12345678 fails the check-digit rule");
    EXPECT_EQ(line_colour(*window), Widget_Kit::theme().warning);

    report({.written = false, .error = "cannot write receipts into /made/up/ (Not a directory)"});
    window->status_loop_run();
    EXPECT_EQ(line_text(*window), "cannot write receipts into /made/up/ (Not a directory)");
    EXPECT_EQ(line_colour(*window), Widget_Kit::theme().error);
    click(window->status_line);
    EXPECT_EQ(opened_files.size(), 1u) << "a failure has no receipt to open";

    type_rows(*window, {{"茶", "1", "20"}});
    press(*window);
    EXPECT_FALSE(queues["get_receipt"].empty());
    EXPECT_EQ(line_text(*window), "") << "a press that is sent clears the line";
}

TEST_F(Window_Outcome, PrintingAgainSpeaksForItselfAfterAnEarlierAttemptFailed) {
    // A reprint still running when a press is refused, failing later; then the same
    // receipt printed again, successfully: the line ends saying just that.
    auto window = open_window();
    auto& line = *window->status_line;
    const ReceiptOutcome receipt{.written = true, .pdf_path = kFolder + "免用統一發票收據000007 - 甲.pdf", .number = 7};
    line.start_reprint(receipt, 1, false);
    line.show_outcome({.written = false, .error = "統一編號 is not eight digits"});
    line.end_reprint(receipt, 1, "the printer is gone");
    EXPECT_EQ(line_tip(*window), "統一編號 is not eight digits; Not printed No. 000007: the printer is gone");

    line.start_reprint(receipt, 1, false);
    line.end_reprint(receipt, 1, "");
    EXPECT_EQ(line_text(*window), "Printed No. 000007");
}

TEST_F(Window_Outcome, ReasonsLongerThanThreeRowsAreCutAndKeptWholeInTheTip) {
    auto window = open_window();
    std::string reason = "the seal 免用統一發票章 was not printed: put its picture into";
    for (int i = 0; i < 10; ++i) reason += " /a/long/folder/name";
    report({.written = false, .error = reason});
    window->status_loop_run();
    const QString shown = window->status_line->text();
    EXPECT_TRUE(shown.endsWith("…")) << shown.toStdString();
    EXPECT_TRUE(reason.starts_with(QString(shown.chopped(1)).remove(QChar(0x200B)).toStdString())) << shown.toStdString();
    EXPECT_EQ(line_tip(*window), reason);
    EXPECT_LE(window->status_line->sizeHint().height(), window->status_line->height());
}

// What the window can know it checks before sending; a press it refuses sends nothing
// and says why in red.
TEST_F(Window_Outcome, PressRefusesWhatTheWindowCanKnow) {
    struct Case {
        std::vector<Row> rows;
        std::string tax_number;
        int year;
        const char* reason;  // nullptr: sent
    };
    const Case cases[] = {
        {{{"茶", "2", "30"}}, "1234567", 2025, "統一編號 \"1234567\" is not eight digits"},
        {{{"茶", "1001", "1000"}}, "", 2025, "the total 1001000 is above 999999"},
        {{{"茶", "2", "30"}, {"餅", "2.5", "1"}}, "", 2025, "商品數量 in row 2 is not a whole number"},
        {{{"茶", "2", "30"}}, "", 1900, "before 1912-01-01"},
        {{{"茶", "2", "30"}}, "１２３４５６７８", 2025, nullptr},  // its check digit is the worker's warning
    };
    for (const auto& c : cases) {
        auto window = open_window();
        type_rows(*window, c.rows);
        window_test::type_text(window->set_table->entry("統一編號"), c.tax_number);
        window->PP.pick_date(c.year, 3, 9);
        press(*window);
        if (c.reason == nullptr) {
            EXPECT_FALSE(queues["get_receipt"].empty()) << c.tax_number;
            EXPECT_EQ(line_text(*window), "");
            queues["get_receipt"].get();
            continue;
        }
        EXPECT_TRUE(queues["get_receipt"].empty()) << c.reason;
        EXPECT_NE(line_text(*window).find(c.reason), std::string::npos) << line_text(*window);
        EXPECT_EQ(line_colour(*window), Widget_Kit::theme().error) << c.reason;
    }
}

// A reason may quote what a field holds or what the worker read; it shows as it is,
// never as markup. The field takes no such text from the keyboard; the program may put it there.
TEST_F(Window_Outcome, ReasonsQuotingMarkupShowItAsTyped) {
    auto window = open_window();
    type_rows(*window, {{"茶", "1", "20"}});
    for (const std::string typed : {"<b>123", "<img src=a.png>"}) {
        window->set_table->entry("統一編號")->setText(QString::fromStdString(typed));
        EXPECT_EQ(window_test::shown_tip(*window->set_table->entry("統一編號")),
                  "統一編號 \"" + typed + "\" is not eight digits; leave it empty or give all eight");
        press(*window);
        const std::string reason = "統一編號 \"" + typed + "\" is not eight digits; leave it empty or give all eight";
        EXPECT_EQ(line_text(*window), reason);
        EXPECT_EQ(line_tip(*window), reason);
        window->set_table->entry("統一編號")->clear();
    }
    const std::string error = "cannot read the seal <i>負責人章</i>.png";
    report({.written = false, .error = error});
    window->status_loop_run();
    EXPECT_EQ(line_text(*window), error);
    EXPECT_EQ(line_tip(*window), error);
}

TEST_F(Window_Outcome, CellAtFaultIsMarkedWhileTheTotalShowsAnError) {
    auto window = open_window();
    type_rows(*window, {{"茶", "2", "30"}, {"餅", "2.5", "1O"}, {"", "", "x"}});
    window->status_loop_run();
    EXPECT_EQ(window->mylabel_time_text->get(), "金額輸入錯誤");
    EXPECT_FALSE(Widget_Kit::is_marked(cell(*window, "商品數量", 0)));
    EXPECT_TRUE(Widget_Kit::is_marked(cell(*window, "商品數量", 1)));
    EXPECT_TRUE(Widget_Kit::is_marked(cell(*window, "商品單價", 1)));
    EXPECT_FALSE(Widget_Kit::is_marked(cell(*window, "商品單價", 2))) << "a row that is not sent is not at fault";
    EXPECT_NE(cell(*window, "商品數量", 1)->styleSheet().indexOf(Widget_Kit::theme().error.name()), -1);

    cell(*window, "商品數量", 1)->clear();
    window_test::type_text(cell(*window, "商品數量", 1), "2");
    cell(*window, "商品單價", 1)->clear();
    window_test::type_text(cell(*window, "商品單價", 1), "10");
    window->status_loop_run();
    EXPECT_EQ(window->mylabel_time_text->get(), "總額80元");
    EXPECT_FALSE(Widget_Kit::is_marked(cell(*window, "商品數量", 1)));
    EXPECT_FALSE(Widget_Kit::is_marked(cell(*window, "商品單價", 1)));
}

TEST_F(Window_Outcome, ReceiptDateShowsBesideTheSwitchInTheRepublicOfChinaForm) {
    auto window = open_window();
    const platform::LocalDate today = platform::local_today();
    EXPECT_EQ(window->date_label->text().toStdString(),
              request_rules::roc_date_text(today.year, today.month, today.day));
    window->PP.pick_date(2025, 1, 5);
    window->status_loop_run();
    EXPECT_EQ(window->date_label->text(), "114/01/05");
    click(window->switch_1);
    EXPECT_EQ(window->date_label->text(), "") << "no date is printed";
    click(window->switch_1);
    EXPECT_EQ(window->date_label->text(), "114/01/05");
}
