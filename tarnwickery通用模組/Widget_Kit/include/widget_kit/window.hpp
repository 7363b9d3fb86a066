#pragma once

#include <QWidget>

#include <string>

namespace Widget_Kit {

// A top-level window. Without a master it is the program's main window; with one it
// is a secondary window that goes away with its master and is deleted when closed.
class Window : public QWidget {
    Q_OBJECT
public:
    explicit Window(QWidget* master = nullptr);

    void title(const std::string& text);
    // "WIDTHxHEIGHT", in pixels. Throws Widget_Kit::Error for any other text.
    void geometry(const std::string& size);
    // Whether the user may change the width and the height; a window fixed in both
    // follows the size of its content.
    void resizable(bool width, bool height);
    // Opens the window in front of the others.
    void bring_to_front();

signals:
    // The user (or the program) has closed the window.
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
};

}  // namespace Widget_Kit
