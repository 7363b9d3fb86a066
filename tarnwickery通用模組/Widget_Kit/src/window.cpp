#include <widget_kit/error.hpp>
#include <widget_kit/theme.hpp>
#include <widget_kit/window.hpp>

#include <QCloseEvent>
#include <QLayout>
#include <QRegularExpression>

namespace Widget_Kit {

Window::Window(QWidget* master) : QWidget(master, master != nullptr ? Qt::Window : Qt::WindowFlags()) {
    if (master != nullptr) setAttribute(Qt::WA_DeleteOnClose);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, theme().window);
    setPalette(colours);
    setAutoFillBackground(true);
}

void Window::title(const std::string& text) { setWindowTitle(QString::fromStdString(text)); }

void Window::geometry(const std::string& size) {
    const auto match = QRegularExpression("^(\\d+)x(\\d+)$").match(QString::fromStdString(size));
    if (!match.hasMatch()) throw Error("'" + size + "' is not a window size WIDTHxHEIGHT");
    resize(match.captured(1).toInt(), match.captured(2).toInt());
}

void Window::resizable(bool width, bool height) {
    if (!width && !height) {
        // Fixed to whatever the content asks for, now and after it changes.
        if (layout() != nullptr) layout()->setSizeConstraint(QLayout::SetFixedSize);
        else setFixedSize(size());
        return;
    }
    if (!width) setFixedWidth(this->width());
    if (!height) setFixedHeight(this->height());
}

void Window::bring_to_front() {
    show();
    raise();
    activateWindow();
}

void Window::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    if (event->isAccepted()) emit closed();
}

}  // namespace Widget_Kit
