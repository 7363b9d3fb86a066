#pragma once

#include <QFont>
#include <QLabel>

#include <string>
#include <string_view>

namespace Widget_Kit {

class Text_Variable;

// A font of `family` whose size counts points, as plain toolkit labels do.
QFont point_font(std::string_view family, int points, bool bold);
// A font of `family` whose size counts pixels, as the kit's themed widgets do.
QFont pixel_font(std::string_view family, int pixels, bool bold);

struct Label_Options {
    std::string text;
    // When given, the label shows this variable's text and follows it.
    Text_Variable* textvariable = nullptr;
    QFont font;
    // Empty background: themed, on its parent; empty foreground: the theme's text.
    std::string bg_color;
    std::string fg_color;
};

// A label with centred text. A themed one (no background) is at least 28 pixels high,
// like the kit's other one-line widgets.
QLabel* make_label(QWidget* parent, const Label_Options& options);

}  // namespace Widget_Kit
