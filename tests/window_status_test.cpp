// The status loop: the total display, the output button while the worker is busy,
// and the date taken from the calendar.
#include "window_fixture.hpp"

#include <receipt_channels/request_rules.hpp>

#include <platform/clock.hpp>

#include <QTest>

using window_test::Row;

namespace {

class Status_Loop : public window_test::Window_Test {
protected:
    std::string total_after(const std::vector<Row>& rows) {
        auto window = open_window();
        type_rows(*window, rows);
        window->status_loop_run();
        return window->mylabel_time_text->get();
    }
    std::string button_text(receipt_window::Receipt_Window& window) {
        return window.set_button.button("輸出單據")->text().toStdString();
    }
};

}  // namespace

TEST_F(Status_Loop, TotalDisplayShowsTheSumOrWhatIsWrong) {
    EXPECT_EQ(open_window()->mylabel_time->text(), "總額0元");
    EXPECT_EQ(total_after({{"茶", "2", "30"}, {"餅", "1", "15"}}), "總額75元");
    EXPECT_EQ(total_after({{"茶", "2", "30"}, {"只有名稱", "", ""}, {"", "1", "15"}}), "總額75元");
    EXPECT_EQ(total_after({{"茶", "２", "30"}, {"餅", "1", ""}}), "總額60元");
    EXPECT_EQ(total_after({{"茶", "999", "1001"}}), "總額999999元");
    EXPECT_EQ(total_after({{"茶", "1000", "1000"}}), "金額超過上限");
    EXPECT_EQ(total_after({{"茶", "-1", "10"}}), "總額-10元");
    EXPECT_EQ(total_after({{"茶", "2.5", "10"}, {"餅", "1", "15"}}), "金額輸入錯誤");
    EXPECT_EQ(total_after({{"茶", "9223372036854775807", "9223372036854775807"}, {"餅", "9223372036854775807", "9223372036854775807"}}),
              "金額超過上限");
}

TEST_F(Status_Loop, RunsEveryHalfSecondByItself) {
    auto window = open_window();
    type_rows(*window, {{"茶", "3", "50"}});
    ASSERT_TRUE(window_test::wait_for([&] { return window->mylabel_time_text->get() == "總額150元"; }, std::chrono::seconds(3)));
    EXPECT_EQ(window->entry_table->get().at(3).at(0), "150 元");
    QTest::keyClicks(cell(*window, "商品數量", 0), "0");
    EXPECT_TRUE(window_test::wait_for([&] { return window->mylabel_time_text->get() == "總額1500元"; }, std::chrono::seconds(3)));
}

TEST_F(Status_Loop, OutputButtonCountsDotsWhileTheWorkerIsBusy) {
    auto window = open_window();
    window->status_loop_run();
    EXPECT_EQ(button_text(*window), "輸出單據");
    events["get_receipt"].set();
    std::vector<std::string> shown;
    for (int run = 0; run < 4; ++run) {
        window->status_loop_run();
        shown.push_back(button_text(*window));
    }
    EXPECT_EQ(shown, (std::vector<std::string>{"輸出中.", "輸出中..", "輸出中...", "輸出中."}));
    events["get_receipt"].clear();
    window->status_loop_run();
    EXPECT_EQ(button_text(*window), "輸出單據");
    EXPECT_TRUE(window->set_button.button("輸出單據")->isEnabled());
}

TEST_F(Status_Loop, DatePickedInTheCalendarReachesTheRequest) {
    auto window = open_window();
    const platform::LocalDate today = platform::local_today();
    const QPushButton* calendar_button = top_bar_buttons(*window).at(1);
    window->status_loop_run();
    EXPECT_EQ(window->PP.parameters["日"], today.day) << "no calendar yet: the start date stays";

    click(const_cast<QPushButton*>(calendar_button));
    ASSERT_FALSE(window->calendar.isNull());
    QPointer<Widget_Kit::CTkCalendar> first = window->calendar;
    const std::string today_key = std::to_string(today.year) + "-" + std::to_string(today.month) + "-" + std::to_string(today.day);
    EXPECT_EQ(first->data.at("日曆按鈕").at(today_key)->property("fg_color").toString(), "#9D9D9D");
    EXPECT_EQ(first->window()->windowTitle(), "日期");
    EXPECT_EQ(first->window()->size(), QSize(250, 250));
    window->status_loop_run();
    EXPECT_EQ(window->PP.parameters["日"], today.day) << "opening the calendar alone changes nothing";

    const int other_day = today.day == 1 ? 2 : 1;
    const std::string other_key = std::to_string(today.year) + "-" + std::to_string(today.month) + "-" + std::to_string(other_day);
    // The pick counts though its window is closed before the status loop runs again.
    click(first->data.at("日曆按鈕").at(other_key));
    first->window()->close();
    ASSERT_TRUE(window_test::wait_for([&] { return first.isNull(); }));
    window->status_loop_run();
    EXPECT_EQ(window->PP.parameters["日"], other_day);
    EXPECT_EQ(window->date_label->text().toStdString(),
              request_rules::roc_date_text(today.year, today.month, other_day));

    // A second calendar marks the picked date; closing it without a pick changes nothing.
    click(const_cast<QPushButton*>(calendar_button));
    QPointer<Widget_Kit::CTkCalendar> second = window->calendar;
    ASSERT_FALSE(second.isNull());
    EXPECT_EQ(second->data.at("日曆按鈕").at(other_key)->property("fg_color").toString(), "#9D9D9D");
    second->window()->close();
    ASSERT_TRUE(window_test::wait_for([&] { return second.isNull(); }));
    window->status_loop_run();
    EXPECT_EQ(window->PP.parameters["日"], other_day);

    type_rows(*window, {{"茶", "1", "20"}});
    click(window->set_button.button("輸出單據"));
    const auto request = queues["get_receipt"].get();
    EXPECT_EQ(request["年"], today.year);
    EXPECT_EQ(request["月"], today.month);
    EXPECT_EQ(request["日"], other_day);
}

TEST_F(Status_Loop, CalendarOpensOnTheMonthOfTheHeldDate) {
    auto window = open_window();
    window->PP.pick_date(2024, 2, 29);
    click(top_bar_buttons(*window).at(1));
    ASSERT_FALSE(window->calendar.isNull());
    EXPECT_EQ(window->calendar->data.at("日曆按鈕").size(), 29u);
    EXPECT_EQ(window->calendar->data.at("日曆按鈕").at("2024-2-29")->property("fg_color").toString(), "#9D9D9D");
}

// A window left open past midnight issues receipts of the new day unless a date was picked.
TEST_F(Status_Loop, WithoutAPickTheReceiptDateIsToday) {
    auto window = open_window();
    const auto opened_long_ago = [&] {
        window->PP.parameters["年"] = 2024;
        window->PP.parameters["月"] = 2;
        window->PP.parameters["日"] = 28;
    };
    const platform::LocalDate today = platform::local_today();
    opened_long_ago();
    window->status_loop_run();
    EXPECT_EQ(window->date_label->text().toStdString(), request_rules::roc_date_text(today.year, today.month, today.day));

    opened_long_ago();
    type_rows(*window, {{"茶", "1", "20"}});
    click(window->set_button.button("輸出單據"));
    const auto request = queues["get_receipt"].get();
    EXPECT_EQ(request["年"], today.year);
    EXPECT_EQ(request["月"], today.month);
    EXPECT_EQ(request["日"], today.day);
}

TEST_F(Status_Loop, AWorkerHeldUpIsSaidUntilItsReceiptComes) {
    auto window = open_window();
    const std::string waiting = "waiting for another program that is writing a receipt…";
    queues["notice"].put(waiting);
    window->status_loop_run();
    EXPECT_EQ(window_test::shown_text(*window->status_line), waiting);
    queues["outcome"].put(ReceiptOutcome{.written = true, .pdf_path = "/made/up/免用統一發票收據000004.pdf", .number = 4});
    window->status_loop_run();
    EXPECT_EQ(window_test::shown_text(*window->status_line).find("waiting"), std::string::npos);
}
