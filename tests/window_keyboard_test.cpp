// The window worked from the keyboard: where focus starts, the Tab path, the keys that
// issue and print, Enter in the table, and what each control says when pointed at.
#include "window_fixture.hpp"

#include <i18n/tr.hpp>
#include <widget_kit/toggle.hpp>

#include <QApplication>
#include <QFontMetrics>
#include <QTest>

using window_test::Row;

namespace {

class Window_Keyboard : public window_test::Window_Test {
protected:
    void TearDown() override { i18n::set_language(i18n::Language::english); }

    // Keys go to the active window only.
    std::unique_ptr<receipt_window::Receipt_Window> open_active() {
        auto window = open_window();
        window->app->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window->app.get()));
        return window;
    }
    static void set_focus_and_wait(QWidget* widget) {
        widget->setFocus(Qt::OtherFocusReason);
        EXPECT_TRUE(window_test::wait_for([&] { return QApplication::focusWidget() == widget; }));
    }

    // Every control Tab stops at, in the order it should, starting at 買受人.
    static std::vector<QWidget*> tab_path(receipt_window::Receipt_Window& window) {
        std::vector<QWidget*> path{window.set_table->entry("買受人"), window.set_table->entry("統一編號")};
        for (int row = 0; row < 7; ++row)
            for (const char* column : {"商品名稱", "商品數量", "商品單價"}) path.push_back(cell(window, column, row));
        // Left to right as they show: the 列印 switch, then 日期; the receipt book, then the preview, web page,
        // calendar, folder and print icons.
        const auto icons = top_bar_buttons(window);
        for (QWidget* control : std::initializer_list<QWidget*>{window.checkbox_1, window.checkbox_2, window.switch_2,
                                                               window.switch_1, window.set_button.button("輸出單據"),
                                                               icons[4], icons[5], icons[2], icons[1], icons[0],
                                                               icons[3]})
            path.push_back(control);
        return path;
    }
    static void key(Qt::Key pressed, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(QApplication::focusWidget(), pressed, modifiers);
    }
    // A written receipt, so that the print button takes part.
    void written(receipt_window::Receipt_Window& window) {
        queues["outcome"].put(ReceiptOutcome{.written = true, .pdf_path = "/made/up/免用統一發票收據000003.pdf", .number = 3});
        window.status_loop_run();
    }
};

}  // namespace

TEST_F(Window_Keyboard, TabWalksTheFormThenTheChoicesThenTheButtonsAndShiftTabWalksBack) {
    auto window = open_active();
    written(*window);
    const std::vector<QWidget*> path = tab_path(*window);
    ASSERT_EQ(QApplication::focusWidget(), path.front()) << "focus starts in 買受人";
    for (std::size_t i = 1; i < path.size(); ++i) {
        key(Qt::Key_Tab);
        ASSERT_EQ(QApplication::focusWidget(), path[i]) << "step " << i;
    }
    key(Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), path.front()) << "and round again";
    for (std::size_t i = path.size() - 1; i > 0; --i) {
        key(Qt::Key_Backtab, Qt::ShiftModifier);
        ASSERT_EQ(QApplication::focusWidget(), path[i]) << "back at " << i;
    }
}

TEST_F(Window_Keyboard, EveryStopShowsThatItHasTheKeyboard) {
    auto window = open_active();
    written(*window);
    QImage unfocused = window->checkbox_1->grab().toImage();
    window->checkbox_1->setFocus(Qt::TabFocusReason);
    EXPECT_NE(window->checkbox_1->grab().toImage(), unfocused) << "a box draws a ring";
    for (QWidget* stop : tab_path(*window)) {
        const bool styled = stop->styleSheet().contains(":focus");
        EXPECT_TRUE(styled || dynamic_cast<Widget_Kit::Toggle*>(stop) != nullptr) << stop->metaObject()->className();
        EXPECT_NE(stop->focusPolicy() & Qt::TabFocus, 0);
    }
}

TEST_F(Window_Keyboard, EnterIssuesFromTheButtonAndCtrlEnterFromAnywhere) {
    auto window = open_active();
    type_rows(*window, {{"茶", "2", "30"}});
    set_focus_and_wait(window->set_button.button("輸出單據"));
    key(Qt::Key_Return);
    ASSERT_FALSE(queues["get_receipt"].empty()) << "Enter on the button presses it";
    queues["get_receipt"].get();

    set_focus_and_wait(window->set_table->entry("買受人"));
    key(Qt::Key_Return, Qt::ControlModifier);
    ASSERT_FALSE(queues["get_receipt"].empty()) << "Ctrl+Enter from the buyer field";
    queues["get_receipt"].get();
    set_focus_and_wait(cell(*window, "商品單價", 3));
    key(Qt::Key_Enter, Qt::ControlModifier | Qt::KeypadModifier);
    EXPECT_FALSE(queues["get_receipt"].empty()) << "Ctrl+Enter on the keypad from a cell";
}

TEST_F(Window_Keyboard, EnterInTheTableMovesDownAsInASpreadsheet) {
    auto window = open_active();
    set_focus_and_wait(cell(*window, "商品名稱", 0));
    key(Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), cell(*window, "商品名稱", 1));
    set_focus_and_wait(cell(*window, "商品數量", 6));
    key(Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), cell(*window, "商品單價", 0)) << "the last row leads to the next column";
    set_focus_and_wait(cell(*window, "商品單價", 6));
    key(Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), window->set_button.button("輸出單據"));
    EXPECT_TRUE(queues["get_receipt"].empty()) << "moving is not issuing";
}

TEST_F(Window_Keyboard, CtrlPPrintsTheLastReceiptOnlyOnceThereIsOne) {
    auto window = open_active();
    set_focus_and_wait(window->set_table->entry("買受人"));
    key(Qt::Key_P, Qt::ControlModifier);
    EXPECT_TRUE(offered_printers.empty()) << "nothing written yet";
    written(*window);
    key(Qt::Key_P, Qt::ControlModifier);
    EXPECT_EQ(offered_printers.size(), 1u);
}

TEST_F(Window_Keyboard, IconsAndSwitchesExplainThemselvesInTheOwnersLanguage) {
    for (const auto language : {i18n::Language::english, i18n::Language::chinese}) {
        i18n::set_language(language);
        auto window = open_active();
        const auto icons = top_bar_buttons(*window);
        std::vector<std::string> tips;
        for (QWidget* control : std::initializer_list<QWidget*>{icons[0], icons[1], icons[2], icons[3], icons[5], window->switch_1,
                                                               window->switch_2, window->checkbox_1, window->checkbox_2,
                                                               window->set_button.button("輸出單據")})
            tips.push_back(window_test::shown_tip(*control));
        const std::vector<std::string> expected =
            language == i18n::Language::english
                ? std::vector<std::string>{"Open the folder of the receipts", "Choose the receipt date",
                                           "Open the program's web page", "Print the last receipt again (Ctrl+P)", "Preview",
                                           "Print the date on the receipt", "Print each receipt as soon as it is written",
                                           "Print the seal 免用統一發票章 on the receipt", "Print the seal 負責人章 on the receipt",
                                           "Issue the receipt (Enter here, Ctrl+Enter anywhere)"}
                : std::vector<std::string>{"開啟收據資料夾", "選擇收據日期", "開啟軟體網頁", "再印一次上一張收據（Ctrl+P）", "預覽",
                                           "收據上印出日期", "每張收據輸出後立刻列印", "在收據上印出免用統一發票章",
                                           "在收據上印出負責人章", "開立收據（在此按 Enter，或在任何地方按 Ctrl+Enter）"};
        EXPECT_EQ(tips, expected);
        // The receipt book's label shows whole in either language.
        const QPushButton* book = icons[4];
        EXPECT_LE(QFontMetrics(book->font()).horizontalAdvance(book->text()), book->width() - 12)
            << book->text().toStdString();
    }
}
