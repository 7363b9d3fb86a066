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

}  // namespace Widget_Kit
