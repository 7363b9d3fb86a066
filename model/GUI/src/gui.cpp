#include "gui.hpp"

#include "qt_language.hpp"

#include <QApplication>
#include <QEventLoop>

#include <iostream>
#include <memory>

namespace receipt_window {

void run_gui(Queue_All_variable& queues, Event_All_variable& events, Window_Setup setup,
             const std::function<void(Receipt_Window&)>& opened) {
    try {
        std::unique_ptr<QApplication> application;
        if (QApplication::instance() == nullptr) {
            static int argc = 1;
            static char name[] = "tarnwickery-receipt";
            static char* argv[] = {name, nullptr};
            application = std::make_unique<QApplication>(argc, argv);
            load_qt_translation(*application);
        }
        {
            Receipt_Window window(queues, events, std::move(setup));
            QEventLoop loop;
            QObject::connect(window.app.get(), &Widget_Kit::Window::closed, &loop, &QEventLoop::quit);
            window.app->show();
            // Keys reach 買受人 from the first moment, also where no window manager hands
            // a new window the focus.
            window.app->activateWindow();
            if (opened) opened(window);
            if (window.app->isVisible()) loop.exec();
        }
    } catch (const std::exception& error) {
        std::cout << error.what() << std::endl;
    }
    shutdown_sequence(queues, events);
}

}  // namespace receipt_window
