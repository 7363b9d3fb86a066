#pragma once

#include <widget_kit/geometry.hpp>

#include <QPointer>
#include <QPushButton>

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace Widget_Kit {

struct Button_Options {
    // Empty: the button cannot be looked up later.
    std::string button_name;
    std::string text;
    // A picture shown on the button at `size`; a picture that cannot be read is
    // reported on standard error and the button goes without it.
    std::string image_path;
    QSize size{20, 20};
    std::function<void()> button_event;
    int width = 140;
    int height = 28;
    // Empty: the accent colour; "transparent": the parent shows through.
    std::string fg_color;
    int row = 0;
    int column = 0;
    Pad padx;
    Pad pady;
    std::string sticky;
};

// Changes to a button; what is not given stays.
struct Button_Config {
    std::optional<std::string> text;
    std::optional<std::string> fg_color;
};

// Changes `button`, a button of the kit or a calendar's day button.
void configure(QPushButton* button, const Button_Config& config);

// Makes buttons on their parents' grids and finds them again by name.
class Set_Button {
public:
    // Creates the button in `parent` and puts it on the parent's grid; pressing it
    // runs `button_event` through call_handler. A name given before replaces the
    // earlier button under that name.
    QPushButton* add_button(QWidget* parent, const Button_Options& options);

    // The option "text" or "fg_color" of the named button. Throws Widget_Kit::Error
    // for an unknown button or option.
    std::string cget(const std::string& button_name, std::string_view option) const;
    // Throws Widget_Kit::Error for an unknown button.
    void configure(const std::string& button_name, const Button_Config& config);
    // Throws Widget_Kit::Error for an unknown button.
    QPushButton* button(const std::string& button_name) const;

private:
    std::map<std::string, QPointer<QPushButton>> buttons_;
};

}  // namespace Widget_Kit
