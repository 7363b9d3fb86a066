#include "entry_table.hpp"

#include "receipt_rows.hpp"

#include <receipt_channels/whole_number.hpp>
#include <widget_kit/entry.hpp>
#include <widget_kit/frame.hpp>
#include <widget_kit/geometry.hpp>
#include <widget_kit/label.hpp>
#include <widget_kit/screen.hpp>
#include <widget_kit/text_variable.hpp>

#include <algorithm>
#include <stdexcept>

namespace receipt_window {

Entry_Table::Entry_Table(QWidget* frame) : Widget_Kit::Entry_Table(frame) {}

double Entry_Table::amount_centre_y(int screen_width) { return 18.0 * screen_width / 2560.0; }

void Entry_Table::add_table(int n, bool serial_number) {
    const int height = static_cast<int>(14000.0 * n / 500.0 + 50);
    if (auto* panel = dynamic_cast<Widget_Kit::Frame*>(frame)) panel->set_height(height);
    else frame->resize(frame->width(), height);

    for (const auto& [key, column] : entry_name) {
        entry[key].clear();
        default_value_get[key].clear();
        if (column.state == "normal") {
            for (int i = 0; i < n; ++i) {
                QLineEdit* cell = Widget_Kit::make_entry(frame, {.width = column.width, .height = 30, .corner_radius = 0});
                entry[key].push_back({.entry = cell});
                Widget_Kit::place(cell, column.x, kRowPitch * i + kFirstRowY);
                default_value_get[key].emplace_back();
            }
        } else if (column.state == "disabled") {
            const double centre_y = amount_centre_y(Widget_Kit::screen_width());
            for (int i = 0; i < n; ++i) {
                auto* panel = new Widget_Kit::Frame(frame, {.width = column.width, .height = 30, .fg_color = "#353638",
                                                            .border_width = 2, .border_color = "#53575a",
                                                            .corner_radius = 0});
                Widget_Kit::place(panel, column.x - 1, kRowPitch * i + kFirstRowY);
                auto* variable = new Widget_Kit::Text_Variable("", panel);
                QLabel* label = Widget_Kit::make_label(
                    panel, {.textvariable = variable, .font = Widget_Kit::point_font("Microsoft JhengHei", 15, true),
                            .bg_color = "#353638", .fg_color = "white"});
                // The label's background is the panel's own colour; painting it would only
                // hide the panel's border, which the label overlaps.
                label->setAutoFillBackground(false);
                label->setContentsMargins(0, 0, 5, 0);
                entry[key].push_back({.variable = variable, .label = label});
                Widget_Kit::place(label, 200, centre_y, "e");
                default_value_get[key].emplace_back();
            }
        }
    }

    // Tab moves along a row before it moves down, the way a receipt line is typed.
    QWidget* previous = nullptr;
    for (int i = 0; i < n; ++i)
        for (const auto& [key, column] : entry_name)
            if (column.state == "normal") {
                QWidget* cell = entry[key][i].entry;
                if (previous != nullptr) QWidget::setTabOrder(previous, cell);
                previous = cell;
            }

    if (serial_number)
        for (int i = 0; i < n; ++i) {
            QLabel* number = Widget_Kit::make_label(
                frame, {.text = std::to_string(i + 1), .font = Widget_Kit::pixel_font("Microsoft JhengHei", 15, true)});
            Widget_Kit::place(number, entry_x_init - 20, kRowPitch * i + kFirstRowY);
        }
}

void Entry_Table::update() {
    const auto& quantities = entry.at(name_to_random_string.at("商品數量"));
    const auto& unit_prices = entry.at(name_to_random_string.at("商品單價"));
    for (const auto& [key, column] : entry_name) {
        if (column.state != "disabled") continue;
        for (std::size_t j = 0; j < entry[key].size(); ++j) {
            const auto quantity = read_whole_number(quantities.at(j).text());
            const auto unit_price = read_whole_number(unit_prices.at(j).text());
            std::string shown;
            if (quantity && unit_price) shown = decimal_text(static_cast<Amount>(*quantity) * *unit_price) + " 元";
            if (Widget_Kit::Text_Variable* variable = entry[key][j].variable) variable->set(shown);
        }
    }
}

namespace {

constexpr const char* kEditable[] = {"商品名稱", "商品數量", "商品單價"};

}  // namespace

void Entry_Table::mark_cells(const std::vector<Unreadable_Cell>& cells) {
    for (int column = 0; column < 3; ++column) {
        const auto& column_cells = entry.at(name_to_random_string.at(kEditable[column]));
        for (std::size_t row = 0; row < column_cells.size(); ++row) {
            const bool at_fault = std::find(cells.begin(), cells.end(), Unreadable_Cell{row, column}) != cells.end();
            if (QLineEdit* cell = column_cells[row].entry) Widget_Kit::mark_entry(cell, at_fault);
        }
    }
}

QLineEdit* Entry_Table::cell(std::size_t row, int column) const {
    QLineEdit* found = entry.at(name_to_random_string.at(kEditable[column])).at(row).entry;
    if (found == nullptr) throw std::out_of_range("the table's cell is gone");
    return found;
}

QLineEdit* Entry_Table::below(const QLineEdit* from) const {
    for (int column = 0; column < 3; ++column) {
        const auto& column_cells = entry.at(name_to_random_string.at(kEditable[column]));
        for (std::size_t row = 0; row < column_cells.size(); ++row) {
            if (column_cells[row].entry != from) continue;
            if (row + 1 < column_cells.size()) return column_cells[row + 1].entry;
            return column + 1 < 3 ? cell(0, column + 1) : nullptr;
        }
    }
    return nullptr;
}

std::vector<QLineEdit*> Entry_Table::cells_in_tab_order() const {
    std::vector<QLineEdit*> cells;
    const std::size_t rows = entry.at(name_to_random_string.at(kEditable[0])).size();
    for (std::size_t row = 0; row < rows; ++row)
        for (int column = 0; column < 3; ++column) cells.push_back(cell(row, column));
    return cells;
}

}  // namespace receipt_window
