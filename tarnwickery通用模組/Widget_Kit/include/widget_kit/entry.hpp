#pragma once

#include <QLineEdit>

#include <string>

namespace Widget_Kit {

struct Entry_Options {
    std::string placeholder_text;
    int width = 140;
    int height = 28;
    int corner_radius = 6;
};

// A single-line text field drawn in the theme's colours.
QLineEdit* make_entry(QWidget* parent, const Entry_Options& options = {});

// Draws the border of `entry`, made by make_entry, in the theme's error colour while
// `marked`, in its usual colour otherwise.
void mark_entry(QLineEdit* entry, bool marked);

// Whether `entry` is marked.
bool is_marked(const QLineEdit* entry);

}  // namespace Widget_Kit
