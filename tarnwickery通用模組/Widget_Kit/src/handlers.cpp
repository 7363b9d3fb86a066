#include <widget_kit/handlers.hpp>

#include <QTimer>

#include <exception>
#include <iostream>

namespace Widget_Kit {

void call_handler(const std::function<void()>& handler) noexcept {
    try {
        if (handler) handler();
    } catch (const std::exception& error) {
        std::cerr << "Exception in event handler: " << error.what() << std::endl;
    } catch (...) {
        std::cerr << "Exception in event handler: unknown error" << std::endl;
    }
}

void after(QObject* context, int milliseconds, std::function<void()> callback) {
    QTimer::singleShot(milliseconds, context, [callback = std::move(callback)] { call_handler(callback); });
}

}  // namespace Widget_Kit
