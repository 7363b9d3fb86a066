// What the window checks before a receipt number is spent, in both languages: the
// refusals of a press and the cells they mark, the tax number as it is typed, a form
// the same as the last receipt, and a status line that goes when its cause is fixed.
#include "window_fixture.hpp"

#include <i18n/tr.hpp>
#include <platform/root_folder.hpp>
#include <widget_kit/entry.hpp>
#include <widget_kit/theme.hpp>

#include <QTest>

using window_test::Row;
using Widget_Kit::Mark;

namespace {

class Window_Checks : public window_test::Window_Test {
protected:
    void TearDown() override { i18n::set_language(i18n::Language::english); }
    static std::string line_text(receipt_window::Receipt_Window& window) { return window_test::shown_text(*window.status_line); }
    static QColor line_colour(receipt_window::Receipt_Window& window) {
        return window.status_line->palette().color(QPalette::WindowText);
    }
    void press(receipt_window::Receipt_Window& window) { click(window.set_button.button("輸出單據")); }
    static QLineEdit* tax_field(receipt_window::Receipt_Window& window) { return window.set_table->entry("統一編號"); }
    // The table's cells marked as at fault, as (row, column) from 0.
    static std::vector<std::pair<int, int>> marked(receipt_window::Receipt_Window& window) {
        std::vector<std::pair<int, int>> found;
        for (int row = 0; row < 7; ++row)
            for (int column = 0; column < 3; ++column)
                if (Widget_Kit::is_marked(window.entry_table->cell(row, column))) found.emplace_back(row, column);
        return found;
    }
};

const std::string kFolder = "/made/up/免用統一發票收據/";

}  // namespace

TEST_F(Window_Checks, EachRefusalSaysWhyInBothLanguagesAndMarksWhereToLook) {
    struct Case {
        std::vector<Row> rows;
        std::string tax_number;
        int year;
        std::string english, chinese;
        std::vector<std::pair<int, int>> cells;
    };
    const Case cases[] = {
        {{}, "", 2025, "there is no product to issue; type one in row 1", "沒有商品，請從第 1 列開始輸入", {{0, 0}}},
        {{{"", "", "5"}}, "", 2025, "there is no product to issue; type one in row 1", "沒有商品，請從第 1 列開始輸入", {{0, 0}}},
        {{{"茶", "", "30"}}, "", 2025, "商品數量 in row 1 is empty; a product needs its quantity and unit price",
         "第 1 列的商品數量沒有填，每項商品都要填數量和單價", {{0, 1}}},
        {{{"茶", "2", "30"}, {"餅", "", ""}}, "", 2025,
         "商品數量 in row 2 is empty; a product needs its quantity and unit price",
         "第 2 列的商品數量沒有填，每項商品都要填數量和單價", {{1, 1}, {1, 2}}},
        {{{"茶", "2", "30"}, {"餅", "2", ""}}, "", 2025,
         "商品單價 in row 2 is empty; a product needs its quantity and unit price",
         "第 2 列的商品單價沒有填，每項商品都要填數量和單價", {{1, 2}}},
        {{{"茶", "2.5", "30"}}, "", 2025, "商品數量 in row 1 is not a whole number", "第 1 列的商品數量不是整數，請改正",
         {{0, 1}}},
        {{{"茶", "1001", "1000"}}, "", 2025, "the total 1001000 is above 999999, the most the receipt's six cells can show",
         "總額 1001000 超過 999999，收據最多只能寫到六位數", {}},
        {{{"茶", "2", "30"}}, "1234567", 2025, "統一編號 \"1234567\" is not eight digits; leave it empty or give all eight",
         "統一編號「1234567」需為 8 位數字，或留空", {}},
        {{{"茶", "2", "30"}}, "", 1900, "the date 1900-3-9 is before 1912-01-01, where Republic-of-China years begin",
         "日期 1900-3-9 早於民國元年（1912-01-01），無法開立", {}},
    };
    for (const auto language : {i18n::Language::english, i18n::Language::chinese}) {
        i18n::set_language(language);
        for (const auto& c : cases) {
            auto window = open_window();
            type_rows(*window, c.rows);
            window_test::type_text(tax_field(*window), c.tax_number);
            window->PP.pick_date(c.year, 3, 9);
            press(*window);
            EXPECT_TRUE(queues["get_receipt"].empty()) << c.english;
            EXPECT_EQ(line_text(*window), language == i18n::Language::english ? c.english : c.chinese);
            EXPECT_EQ(line_colour(*window), Widget_Kit::theme().error) << c.english;
            EXPECT_EQ(marked(*window), c.cells) << c.english;
            window->status_loop_run();
            EXPECT_EQ(marked(*window), c.cells) << "the marks outlive the status loop: " << c.english;
        }
    }
}

TEST_F(Window_Checks, TheLineAndTheMarkGoWhenTheirFieldChanges) {
    auto window = open_window();
    type_rows(*window, {{"茶", "2", "30"}, {"餅", "", "15"}});
    press(*window);
    ASSERT_EQ(marked(*window), (std::vector<std::pair<int, int>>{{1, 1}}));
    window_test::type_text(cell(*window, "商品名稱", 0), "葉");
    EXPECT_NE(line_text(*window), "") << "another field leaves it";
    window_test::type_text(cell(*window, "商品數量", 1), "3");
    EXPECT_EQ(line_text(*window), "");
    window->status_loop_run();
    EXPECT_TRUE(marked(*window).empty());

    // A total too large concerns every number; the worker's failure, the whole form.
    cell(*window, "商品數量", 1)->setText("100000");
    press(*window);
    EXPECT_NE(line_text(*window), "");
    cell(*window, "商品單價", 1)->setText("1");
    EXPECT_EQ(line_text(*window), "");
    queues["outcome"].put(ReceiptOutcome{.written = false, .error = "cannot write receipts into /made/up/"});
    window->status_loop_run();
    window_test::type_text(window->set_table->entry("買受人"), "甲");
    EXPECT_EQ(line_text(*window), "");
}

TEST_F(Window_Checks, TaxNumberTakesEightDigitsAndSaysAtOnceWhatIsWrong) {
    auto window = open_window();
    QLineEdit* field = tax_field(*window);
    window_test::type_text(field, "12a-3456789");
    EXPECT_EQ(field->text(), "12345678") << "digits only, eight at most";
    EXPECT_EQ(Widget_Kit::mark_of(field), Mark::warning) << "12345678 fails its check digit";
    EXPECT_EQ(line_text(*window), "統一編號 12345678 fails the check-digit rule; please check it");
    EXPECT_EQ(line_colour(*window), Widget_Kit::theme().warning);

    field->clear();
    EXPECT_EQ(Widget_Kit::mark_of(field), Mark::none);
    EXPECT_EQ(line_text(*window), "");
    window_test::type_text(field, "0459525");
    EXPECT_EQ(Widget_Kit::mark_of(field), Mark::error) << "seven digits";
    EXPECT_EQ(window_test::shown_tip(*field), "統一編號 \"0459525\" is not eight digits; leave it empty or give all eight");
    window_test::type_text(field, "7");
    EXPECT_EQ(Widget_Kit::mark_of(field), Mark::none);

    field->clear();
    i18n::set_language(i18n::Language::chinese);
    window_test::type_text(field, "１２３４５６７８");
    EXPECT_EQ(field->text(), "１２３４５６７８") << "full-width digits are digits";
    EXPECT_EQ(Widget_Kit::mark_of(field), Mark::warning);
    EXPECT_EQ(line_text(*window), "統一編號 12345678 檢查碼不符，請再核對一次");
    type_rows(*window, {{"茶", "1", "20"}});
    press(*window);
    EXPECT_FALSE(queues["get_receipt"].empty()) << "a failed check digit is a warning, never a refusal";
}

TEST_F(Window_Checks, TheSameFormAsTheLastReceiptIsIssuedOnlyWhenTheOwnerSaysSo) {
    auto window = open_window();
    type_rows(*window, {{"茶", "2", "30"}});
    press(*window);
    ASSERT_FALSE(queues["get_receipt"].empty());
    queues["get_receipt"].get();
    queues["outcome"].put(ReceiptOutcome{.written = true, .pdf_path = kFolder + "免用統一發票收據000001.pdf", .number = 1});
    window->status_loop_run();

    i18n::set_language(i18n::Language::chinese);
    press(*window);
    EXPECT_EQ(questions, std::vector<std::string>{"與上一張 No. 000001 內容相同，仍要開立？"});
    EXPECT_TRUE(queues["get_receipt"].empty()) << "answered no";
    answer = true;
    press(*window);
    EXPECT_EQ(questions.size(), 2u);
    EXPECT_FALSE(queues["get_receipt"].empty()) << "answered yes";
    queues["get_receipt"].get();
    queues["outcome"].put(ReceiptOutcome{.written = false, .error = "the disk is full"});
    window->status_loop_run();

    window_test::type_text(window->set_table->entry("買受人"), "乙");
    press(*window);
    EXPECT_EQ(questions.size(), 2u) << "another buyer: no question";
    EXPECT_FALSE(queues["get_receipt"].empty());
}

TEST_F(Window_Checks, WhatTheDesktopCannotOpenIsSaidWithItsPath) {
    auto window = open_window();
    const std::string pdf = kFolder + "免用統一發票收據000004.pdf";
    queues["outcome"].put(ReceiptOutcome{.written = true, .pdf_path = pdf, .number = 4});
    window->status_loop_run();
    window->setup.desktop.open_file = [](const std::string&) { throw std::runtime_error("no PDF viewer"); };
    click(window->status_line);
    EXPECT_EQ(line_text(*window), "Written No. 000004; cannot open " + pdf + ": no PDF viewer");
    EXPECT_EQ(window->status_line->receipt(), pdf) << "the receipt can still be clicked";

    window->setup.desktop.show_folder = [](const std::string&) { throw std::runtime_error("no file manager"); };
    i18n::set_language(i18n::Language::chinese);
    click(top_bar_buttons(*window).at(0));
    const std::string tip = window_test::shown_tip(*window->status_line);
    EXPECT_NE(tip.find("無法開啟 " + platform::root_folder() + "免用統一發票收據：no file manager"), std::string::npos) << tip;

    queues["outcome"].put(ReceiptOutcome{.written = true, .pdf_path = kFolder + "免用統一發票收據000005.pdf", .number = 5,
                                         .warnings = {"統一編號 12345678 檢查碼不符"}});
    window->status_loop_run();
    EXPECT_TRUE(window_test::shown_tip(*window->status_line).starts_with("已輸出 No. 000005：統一編號 12345678 檢查碼不符；cannot open "))
        << "the failures to open stay beside the newer receipt";
}

TEST_F(Window_Checks, ALongReasonWrapsOverThreeRowsWhole) {
    auto window = open_window();
    const std::string advice =
        "the seal 負責人章 was not printed: put its picture into /home/owner/tarnwickery/免用統一發票收據/印章/";
    queues["outcome"].put(ReceiptOutcome{.written = false, .error = advice});
    window->status_loop_run();
    EXPECT_EQ(line_text(*window), advice);
    EXPECT_LE(window->status_line->heightForWidth(window->status_line->width()), window->status_line->height());
    const QRect button = window->set_button.button("輸出單據")->geometry();
    EXPECT_FALSE(window->status_line->geometry().intersects(button)) << "the line keeps clear of the button";
}
