#include <widget_kit/error.hpp>
#include <widget_kit/screen.hpp>

#include <QGuiApplication>
#include <QScreen>

namespace Widget_Kit {

int screen_width() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) throw Error("there is no screen to measure");
    return screen->geometry().width();
}

}  // namespace Widget_Kit
