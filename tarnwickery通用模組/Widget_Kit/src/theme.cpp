#include <widget_kit/error.hpp>
#include <widget_kit/theme.hpp>

#include <QApplication>
#include <QPalette>
#include <QStyleFactory>

#include <string>

namespace Widget_Kit {

namespace {

Theme& current() {
    static Theme theme;
    return theme;
}

}  // namespace

const Theme& theme() { return current(); }

void set_appearance_mode(std::string_view mode) {
    if (mode != "dark") throw Error("appearance mode '" + std::string(mode) + "' is not available; use \"dark\"");
    // Fusion draws the same everywhere and follows the palette fully.
    QApplication::setStyle(QStyleFactory::create("Fusion"));
    const Theme& colours = theme();
    QPalette palette;
    palette.setColor(QPalette::Window, colours.window);
    palette.setColor(QPalette::WindowText, colours.text);
    palette.setColor(QPalette::Base, colours.entry);
    palette.setColor(QPalette::AlternateBase, colours.frame);
    palette.setColor(QPalette::Text, colours.text);
    palette.setColor(QPalette::PlaceholderText, colours.disabled_text);
    palette.setColor(QPalette::Button, colours.frame);
    palette.setColor(QPalette::ButtonText, colours.text);
    palette.setColor(QPalette::ToolTipBase, colours.frame);
    palette.setColor(QPalette::ToolTipText, colours.text);
    palette.setColor(QPalette::Highlight, colours.accent);
    palette.setColor(QPalette::HighlightedText, colours.text);
    palette.setColor(QPalette::Disabled, QPalette::Text, colours.disabled_text);
    palette.setColor(QPalette::Disabled, QPalette::ButtonText, colours.disabled_text);
    palette.setColor(QPalette::Disabled, QPalette::WindowText, colours.disabled_text);
    QApplication::setPalette(palette);
}

void set_default_color_theme(std::string_view name) {
    if (name != "blue") throw Error("colour theme '" + std::string(name) + "' is not available; use \"blue\"");
    current().accent = QColor("#1f6aa5");
    current().accent_hover = QColor("#144870");
}

QColor color_of(std::string_view color) {
    if (color.empty() || color == "transparent") return QColor(Qt::transparent);
    QColor result = QColor::fromString(QString::fromUtf8(color.data(), static_cast<qsizetype>(color.size())));
    if (!result.isValid()) throw Error("'" + std::string(color) + "' is not a colour");
    return result;
}

}  // namespace Widget_Kit
