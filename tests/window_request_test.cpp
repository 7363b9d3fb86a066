// The output button: the request it builds from the window and when it sends it.
#include "window_fixture.hpp"

#include <platform/clock.hpp>
#include <platform/root_folder.hpp>

#include <QTest>

using nlohmann::json;
using window_test::Row;

namespace {

class Output_Request : public window_test::Window_Test {
protected:
    void press(receipt_window::Receipt_Window& window) { click(window.set_button.button("輸出單據")); }
    // The one request the press put on the queue.
    json sent() {
        EXPECT_FALSE(queues["get_receipt"].empty());
        if (queues["get_receipt"].empty()) return nullptr;
        json request = queues["get_receipt"].get();
        EXPECT_TRUE(queues["get_receipt"].empty());
        return request;
    }
};

}  // namespace

TEST_F(Output_Request, PressSendsTheFieldsTheRowsAndTheOptions) {
    auto window = open_window();
    window_test::type_text(window->set_table->entry("買受人"), " 台灣測試有限公司 ");
    window_test::type_text(window->set_table->entry("統一編號"), "12345678");
    // A row with a name needs both numbers (the window refuses it otherwise); a row
    // without one goes when it has both, and is left out when it does not.
    type_rows(*window, {
                           {"茶", "2", "30"},
                           {"", "2", "30"},
                           {"", "2", ""},
                           {"餅", "1", "15"},
                           {"", "", "5"},
                       });
    press(*window);
    const platform::LocalDate today = platform::local_today();
    const json expected = {
        {"買受人", " 台灣測試有限公司 "},
        {"買受人統一編號", "12345678"},
        {"品名", {"茶", "", "餅"}},
        {"數量", {2, 2, 1}},
        {"單件價格", {30, 30, 15}},
        {"存檔路徑", platform::root_folder() + "免用統一發票收據/"},
        {"顯示免用統一發票章", false},
        {"顯示負責人章", false},
        {"顯示日期", true},
        {"年", today.year},
        {"月", today.month},
        {"日", today.day},
    };
    EXPECT_EQ(sent(), expected);
}

TEST_F(Output_Request, NumbersAreSentAsWholeNumbers) {
    auto window = open_window();
    type_rows(*window, {{"鳳梨酥", "１０", " +1_000 "}});
    press(*window);
    const json request = sent();
    EXPECT_EQ(request["數量"], json::array({10}));
    EXPECT_EQ(request["單件價格"], json::array({1000}));
    EXPECT_EQ(request["買受人"], "");
}

TEST_F(Output_Request, PressesWhileTheWorkerIsBusySendNothing) {
    auto window = open_window();
    type_rows(*window, {{"茶", "1", "20"}});
    events["get_receipt"].set();
    press(*window);
    press(*window);
    EXPECT_TRUE(queues["get_receipt"].empty());
    events["get_receipt"].clear();
    press(*window);
    EXPECT_EQ(sent()["品名"], json::array({"茶"}));
}

// A row whose number does not read would be left off the receipt without a word;
// the press refuses instead and the total display says why.
TEST_F(Output_Request, UnreadableNumberKeepsTheReceiptFromBeingSent) {
    for (const std::vector<Row>& rows : std::vector<std::vector<Row>>{
             {{"茶", "2.5", "10"}, {"餅", "1", "15"}},
             {{"茶", "abc", ""}, {"餅", "1", "15"}},
             {{"餅", "1", "15"}, {"茶", "", "1,000"}},
         }) {
        auto window = open_window();
        type_rows(*window, rows);
        press(*window);
        EXPECT_TRUE(queues["get_receipt"].empty()) << rows[0].quantity << rows[1].unit_price;
        EXPECT_EQ(window->mylabel_time_text->get(), "金額輸入錯誤");
        window->status_loop_run();
        EXPECT_EQ(window->mylabel_time_text->get(), "金額輸入錯誤");
    }
}

TEST_F(Output_Request, SwitchAndCheckBoxesSetTheOptions) {
    auto window = open_window();
    const auto options = [&] {
        return std::vector<bool>{window->PP.parameters["顯示日期"], window->PP.parameters["顯示免用統一發票章"],
                                 window->PP.parameters["顯示負責人章"]};
    };
    EXPECT_EQ(options(), (std::vector<bool>{true, false, false}));
    EXPECT_TRUE(window->switch_1->isChecked());
    EXPECT_FALSE(window->checkbox_1->isChecked());
    EXPECT_EQ(window->check_var_1->get(), "false");

    click(window->switch_1);
    EXPECT_EQ(window->switch_var_001->get(), "off");
    click(window->checkbox_1);
    click(window->checkbox_2);
    EXPECT_EQ(options(), (std::vector<bool>{false, true, true}));
    type_rows(*window, {{"茶", "1", "20"}});
    press(*window);
    const json request = sent();
    EXPECT_EQ(request["顯示日期"], false);
    EXPECT_EQ(request["顯示免用統一發票章"], true);
    EXPECT_EQ(request["顯示負責人章"], true);

    click(window->switch_1);
    click(window->checkbox_1);
    click(window->checkbox_2);
    EXPECT_EQ(options(), (std::vector<bool>{true, false, false}));
    EXPECT_EQ(window->check_var_2->get(), "off");
}
