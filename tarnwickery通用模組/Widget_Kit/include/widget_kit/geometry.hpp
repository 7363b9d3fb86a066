#pragma once

#include <QWidget>

#include <string>
#include <string_view>

namespace Widget_Kit {

// Padding on the two sides of one axis, in pixels.
struct Pad {
    int before = 0;
    int after = 0;
    Pad() = default;
    Pad(int both) : before(both), after(both) {}
    Pad(int before_, int after_) : before(before_), after(after_) {}
};

struct Grid_Options {
    int row = 0;
    int column = 0;
    int rowspan = 1;
    int columnspan = 1;
    Pad padx;
    Pad pady;
    // Which sides of the cell the widget sticks to ("n", "s", "e", "w" in any mix);
    // the empty text centres it at its own size.
    std::string sticky;
};

// Puts `widget` into a grid cell of its parent, which gets a grid when it has no
// layout yet. Several widgets may share a cell; each keeps its own padding. Throws
// Widget_Kit::Error when the widget has no parent or the parent has another layout.
void grid(QWidget* widget, const Grid_Options& options);

// Gives a column of `container`'s grid its share of extra width.
void grid_columnconfigure(QWidget* container, int column, int weight);

// Places `widget` at x, y in its parent, at its own size, so that its `anchor` point
// ("nw", "n", "ne", "w", "center", "e", "sw", "s", "se") lies there; it stays
// anchored when its size changes. Throws Widget_Kit::Error for an unknown anchor.
void place(QWidget* widget, double x, double y, std::string_view anchor = "nw");

}  // namespace Widget_Kit
