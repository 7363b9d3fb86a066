#pragma once

#include <widget_kit/mark.hpp>

#include <QLineEdit>

#include <string>

namespace Widget_Kit {

struct Entry_Options {
    std::string placeholder_text;
    int width = 140;
    int height = 28;
    int corner_radius = 6;
};

// A single-line text field drawn in the theme's colours; its border takes the focus
// colour while it has the keyboard.
QLineEdit* make_entry(QWidget* parent, const Entry_Options& options = {});

// Draws the border of `entry`, made by make_entry, in the colour of `mark`.
void mark_entry(QLineEdit* entry, Mark mark);
// The same with Mark::error while `marked`, Mark::none otherwise.
void mark_entry(QLineEdit* entry, bool marked);

// How `entry` is marked.
Mark mark_of(const QLineEdit* entry);
// Whether `entry` is marked as an error.
bool is_marked(const QLineEdit* entry);

}  // namespace Widget_Kit
