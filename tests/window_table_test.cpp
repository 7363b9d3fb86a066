// The product table: its rows, row numbers, computed amounts and what it reads back.
#include "entry_table.hpp"
#include "window_fixture.hpp"

#include <widget_kit/frame.hpp>
#include <widget_kit/screen.hpp>

#include <QLabel>
#include <QTest>

#include <set>

using receipt_window::Entry_Table;
using window_test::Row;

namespace {

class Product_Table : public window_test::Window_Test {
protected:
    // The window's four columns in a panel of the window's size.
    std::unique_ptr<Entry_Table> table_in(Widget_Kit::Frame& frame, bool with_amounts = true) {
        auto table = std::make_unique<Entry_Table>(&frame);
        table->add_entry_name("商品名稱", 200);
        table->add_entry_name("商品數量", 100);
        table->add_entry_name("商品單價", 100);
        if (with_amounts) table->add_entry_name("商品總額", 200, "disabled");
        return table;
    }
    std::set<int> number_positions(QWidget& frame) {
        std::set<int> found;
        for (auto* label : frame.findChildren<QLabel*>(QString(), Qt::FindDirectChildrenOnly)) {
            bool is_number = false;
            const int number = label->text().toInt(&is_number);
            if (is_number) {
                EXPECT_EQ(label->x(), table_x_init - 20) << number;
                EXPECT_EQ(label->y(), 28 * (number - 1) + 30) << number;
                found.insert(number);
            }
        }
        return found;
    }
    int table_x_init = 0;
};

}  // namespace

TEST_F(Product_Table, SevenRowsAreLaidOutUnderTheirColumnsWithNumbers) {
    Widget_Kit::Frame frame(nullptr, {.width = 700, .height = 300});
    auto table = table_in(frame);
    table->add_table(7);
    table_x_init = table->entry_x_init;

    EXPECT_EQ(frame.height(), 246);
    ASSERT_EQ(table->entry_name.size(), 4u);
    const std::vector<std::pair<int, std::string>> expected{{200, "normal"}, {100, "normal"}, {100, "normal"}, {200, "disabled"}};
    int x = table->entry_x_init;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const auto& column = table->entry_name[i].second;
        EXPECT_EQ(column.width, expected[i].first);
        EXPECT_EQ(column.state, expected[i].second);
        EXPECT_EQ(column.x, x);
        x += column.width;
    }
    EXPECT_EQ(table->name_to_random_string.at("商品數量"), table->entry_name[1].first);
    EXPECT_EQ(table->name_to_random_string.at("商品單價"), table->entry_name[2].first);

    for (const auto& [key, column] : table->entry_name) {
        ASSERT_EQ(table->entry.at(key).size(), 7u);
        EXPECT_EQ(table->default_value_get.at(key), std::vector<std::string>(7));
        for (int i = 0; i < 7; ++i) {
            const auto& cell = table->entry.at(key)[i];
            QWidget* widget = column.state == "normal" ? static_cast<QWidget*>(cell.entry) : cell.label->parentWidget();
            EXPECT_EQ(widget->y(), 28 * i + 30);
            EXPECT_EQ(widget->x(), column.state == "normal" ? column.x : column.x - 1);
            EXPECT_EQ(widget->height(), 30);
            EXPECT_EQ(widget->width(), column.width);
        }
    }
    EXPECT_EQ(number_positions(frame), (std::set<int>{1, 2, 3, 4, 5, 6, 7}));

    Widget_Kit::Frame bare(nullptr, {.width = 700, .height = 300});
    auto unnumbered = table_in(bare);
    unnumbered->add_table(7, false);
    EXPECT_TRUE(number_positions(bare).empty());
}

TEST_F(Product_Table, AmountsFollowTheTypedQuantityAndUnitPrice) {
    struct Case {
        std::string quantity, unit_price, amount;
    };
    const std::vector<Case> cases{
        {"3", "50", "150 元"}, {"-2", "10", "-20 元"}, {"0", "99", "0 元"},        {"３", "50", "150 元"},
        {" 1_000 ", "+2", "2000 元"}, {"3.5", "10", ""}, {"abc", "10", ""},    {"", "10", ""},
        {"3", "", ""},        {"1__0", "2", ""},   {"1,000", "2", ""},
        {"4000000000", "4000000000", "16000000000000000000 元"},
    };
    for (const Case& each : cases) {
        auto window = open_window();
        type_rows(*window, {{"茶", each.quantity, each.unit_price}});
        window->entry_table->update();
        const auto columns = window->entry_table->get();
        EXPECT_EQ(columns.at(3).at(0), each.amount) << each.quantity << " × " << each.unit_price;
        EXPECT_EQ(columns.at(0).at(0), "茶");
        EXPECT_EQ(columns.at(1).at(0), each.quantity);
        EXPECT_EQ(columns.at(3).at(1), "");
    }
}

TEST_F(Product_Table, AmountsSitAtTheRightOfTheirCellsScaledToTheScreen) {
    EXPECT_DOUBLE_EQ(Entry_Table::amount_centre_y(2560), 18.0);
    EXPECT_DOUBLE_EQ(Entry_Table::amount_centre_y(1920), 13.5);
    EXPECT_DOUBLE_EQ(Entry_Table::amount_centre_y(3840), 27.0);

    auto window = open_window();
    type_rows(*window, {{"茶", "12345", "678"}});
    window->entry_table->update();
    const auto& table = *window->entry_table;
    QLabel* label = table.entry.at(table.entry_name[3].first).at(0).label;
    ASSERT_EQ(label->text(), "8369910 元");
    const double centre = Entry_Table::amount_centre_y(Widget_Kit::screen_width());
    EXPECT_EQ(label->geometry().right() + 1, 200);
    EXPECT_NEAR(label->y() + label->height() / 2.0, centre, 0.5);
    EXPECT_GE(label->width(), QFontMetrics(label->font()).horizontalAdvance(label->text()));
}

TEST_F(Product_Table, UpdateLeavesATableWithoutAComputedColumnAlone) {
    Widget_Kit::Frame frame(nullptr, {.width = 700, .height = 300});
    auto table = table_in(frame, false);
    table->add_table(2);
    QTest::keyClicks(table->entry.at(table->name_to_random_string.at("商品數量"))[0].entry, "3");
    const auto before = table->get();
    table->update();
    EXPECT_EQ(table->get(), before);
    EXPECT_EQ(before.size(), 3u);
}
