#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QPointer>

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace Widget_Kit {

class Text_Variable;

// The base of a table of single-line cells laid out in `frame`: it registers the
// columns and reads the cells back; a derived table builds the rows.
class Entry_Table {
public:
    // One registered column. The display name is the base's own; the table reads the
    // width, the x coordinate of its left edge in `frame`, and its state: "normal"
    // (editable) or "disabled" (computed).
    struct Column {
        std::string display_name;
        int width = 0;
        int x = 0;
        std::string state = "normal";
    };

    // An editable cell is an entry; a computed one a text variable and its label.
    struct Cell {
        QPointer<QLineEdit> entry;
        QPointer<Text_Variable> variable;
        QPointer<QLabel> label;
        // The text the cell shows; empty when its widget is gone.
        std::string text() const;
    };

    explicit Entry_Table(QWidget* frame);
    virtual ~Entry_Table() = default;

    // Registers a column to the right of the last one under a new random key, and
    // writes its heading in the band above the first row.
    void add_entry_name(const std::string& display_name, int width, const std::string& state = "normal");

    // The current texts of every column, in registration order, row 0 first; a
    // computed column gives what its labels show.
    std::vector<std::vector<std::string>> get() const;

    // The description of the column under `key`. Throws Widget_Kit::Error when there
    // is none.
    const Column& column(const std::string& key) const;

    QWidget* frame;
    std::vector<std::pair<std::string, Column>> entry_name;
    std::map<std::string, std::string> name_to_random_string;
    std::map<std::string, std::vector<Cell>> entry;
    std::map<std::string, std::vector<std::string>> default_value_get;
    // Leaves room for row numbers left of the first column.
    int entry_x_init = 50;
};

}  // namespace Widget_Kit
