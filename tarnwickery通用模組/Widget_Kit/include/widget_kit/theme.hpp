#pragma once

#include <QColor>

#include <string_view>

namespace Widget_Kit {

// The colours every widget of the kit is drawn with.
struct Theme {
    QColor window{"#242424"};        // top-level windows
    QColor frame{"#2b2b2b"};         // panels on a window
    QColor nested_frame{"#333333"};  // panels on panels
    QColor text{"#dce4ee"};
    QColor disabled_text{"#8d9296"};
    QColor entry{"#343638"};
    QColor entry_border{"#565b5e"};
    QColor accent{"#1f6aa5"};        // buttons, a switch that is on, a ticked box
    QColor accent_hover{"#144870"};
    QColor switch_off{"#4a4d50"};
    QColor knob{"#d5d9de"};
    QColor box_border{"#949a9f"};
    QColor error{"#ff6b6b"};         // what went wrong, and the fields at fault
    QColor warning{"#f5b041"};       // what went through but wants a look
    QColor focus{"#5fb4ff"};         // the ring around the control that has the keyboard
};

// The theme in force.
const Theme& theme();

// Switches the application to the dark look: the kit's own style and palette. Needs a
// QApplication. Throws Widget_Kit::Error for any mode but "dark", the only one built.
void set_appearance_mode(std::string_view mode);

// Chooses the accent colours. Throws Widget_Kit::Error for any theme but "blue".
void set_default_color_theme(std::string_view name);

// `color` ("#rrggbb", a named colour) as a colour; "transparent" and the empty text
// give a fully transparent one. Throws Widget_Kit::Error for a text Qt cannot read.
QColor color_of(std::string_view color);

}  // namespace Widget_Kit
