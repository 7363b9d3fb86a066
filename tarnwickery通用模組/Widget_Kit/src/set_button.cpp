#include <widget_kit/error.hpp>
#include <widget_kit/handlers.hpp>
#include <widget_kit/images.hpp>
#include <widget_kit/set_button.hpp>
#include <widget_kit/theme.hpp>

#include <QFontMetrics>
#include <QIcon>

#include <iostream>

namespace Widget_Kit {

namespace {

// The button's colours live in a style sheet of its own, rebuilt when they change; a
// ring in the focus colour shows it has the keyboard.
void paint(QPushButton* button) {
    const Theme& colours = theme();
    const std::string fg = button->property("fg_color").toString().toStdString();
    const QColor fill = fg.empty() ? colours.accent : color_of(fg);
    const QString background = fill.alpha() == 0 ? QString("transparent") : fill.name(QColor::HexArgb);
    button->setStyleSheet(QString("QPushButton { background-color: %1; color: %2; border: none; border-radius: 6px;"
                                  " padding: 0px 6px; }"
                                  " QPushButton:hover { background-color: %3; }"
                                  " QPushButton:pressed { background-color: %3; }"
                                  " QPushButton:focus { border: 2px solid %5; }"
                                  " QPushButton:disabled { background-color: %1; color: %4; }")
                              .arg(background, colours.text.name(), colours.accent_hover.name(),
                                   colours.disabled_text.name(), colours.focus.name()));
}

// A label wider than its fixed button, as a translation may be, is drawn smaller rather
// than cut off; the style sheet's padding and focus ring take 8 px on each side.
void fit_text(QPushButton* button) {
    if (button->text().isEmpty()) return;
    QFont font = button->font();
    const int room = button->width() - 16;
    const bool in_pixels = font.pixelSize() > 0;
    for (;;) {
        const double size = in_pixels ? font.pixelSize() : font.pointSizeF();
        if (QFontMetrics(font).horizontalAdvance(button->text()) <= room || size <= 8) break;
        if (in_pixels) font.setPixelSize(font.pixelSize() - 1);
        else font.setPointSizeF(size - 0.5);
    }
    button->setFont(font);
}

}  // namespace

void configure(QPushButton* button, const Button_Config& config) {
    if (config.text) button->setText(QString::fromStdString(*config.text));
    if (config.fg_color) {
        color_of(*config.fg_color);  // refuses a colour it cannot read before anything changes
        button->setProperty("fg_color", QString::fromStdString(*config.fg_color));
        paint(button);
    }
}

QPushButton* Set_Button::add_button(QWidget* parent, const Button_Options& options) {
    auto* button = new QPushButton(QString::fromStdString(options.text), parent);
    button->setProperty("fg_color", QString::fromStdString(options.fg_color));
    paint(button);
    button->setCursor(Qt::PointingHandCursor);
    if (!options.image_path.empty()) {
        try {
            button->setIcon(QIcon(load_image(options.image_path, options.size)));
            button->setIconSize(options.size);
        } catch (const Error& error) {
            std::cerr << error.what() << std::endl;
        }
    }
    // A button with only a picture is as wide as the picture and its margin.
    const bool picture_only = options.text.empty() && !options.image_path.empty();
    const int width = picture_only ? options.size.width() + 12 : options.width;
    button->setFixedSize(width, std::max(options.height, options.size.height() + 6));
    fit_text(button);
    const std::function<void()> handler = options.button_event;
    QObject::connect(button, &QPushButton::clicked, button, [handler] { call_handler(handler); });
    grid(button, {.row = options.row, .column = options.column, .padx = options.padx, .pady = options.pady,
                  .sticky = options.sticky});
    if (!options.button_name.empty()) buttons_[options.button_name] = button;
    return button;
}

QPushButton* Set_Button::button(const std::string& button_name) const {
    const auto found = buttons_.find(button_name);
    if (found == buttons_.end() || found->second.isNull()) throw Error("there is no button named " + button_name);
    return found->second.data();
}

std::string Set_Button::cget(const std::string& button_name, std::string_view option) const {
    QPushButton* named = button(button_name);
    if (option == "text") return named->text().toStdString();
    if (option == "fg_color") return named->property("fg_color").toString().toStdString();
    throw Error("a button has no option " + std::string(option));
}

void Set_Button::configure(const std::string& button_name, const Button_Config& config) {
    Widget_Kit::configure(button(button_name), config);
}

}  // namespace Widget_Kit
