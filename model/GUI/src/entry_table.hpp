#pragma once

#include "receipt_rows.hpp"

#include <widget_kit/entry_table.hpp>

#include <QLineEdit>

#include <vector>

namespace receipt_window {

// The product table: editable name, quantity and unit-price cells, a computed amount
// column, and a row number in front of every row.
class Entry_Table : public Widget_Kit::Entry_Table {
public:
    explicit Entry_Table(QWidget* frame);

    // Builds `n` rows of every registered column, and the row numbers when
    // `serial_number` is true. Called once, after the columns are registered.
    void add_table(int n, bool serial_number = true);

    // Shows each row's quantity × unit price followed by " 元" in the computed column,
    // or nothing when either does not read as a whole number. Throws
    // std::out_of_range when the table has no "商品數量" or "商品單價" column.
    void update();

    // Marks the name, quantity and unit-price cells in `cells` as at fault and clears
    // the mark of every other. Throws std::out_of_range when the table has no
    // "商品名稱", "商品數量" or "商品單價" column.
    void mark_cells(const std::vector<Unreadable_Cell>& cells);

    // The editable cell of `row` (from 0) in `column` (0 the name, 1 the quantity, 2 the
    // unit price). Throws std::out_of_range when there is none.
    QLineEdit* cell(std::size_t row, int column) const;
    // Where Enter in `cell` leads, as in a spreadsheet: the cell below; from the last row
    // the top of the next column; nullptr from the last cell or a widget not in the table.
    QLineEdit* below(const QLineEdit* cell) const;
    // The editable cells, row by row, each row left to right: the order Tab takes.
    std::vector<QLineEdit*> cells_in_tab_order() const;

    // How far down its cell an amount is centred on a screen `screen_width` pixels
    // wide: 18 pixels on one 2560 wide, in proportion on others.
    static double amount_centre_y(int screen_width);

    static constexpr int kRowPitch = 28;
    static constexpr int kFirstRowY = 30;
};

}  // namespace receipt_window
