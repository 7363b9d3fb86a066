#pragma once

#include <QDateTime>
#include <QRect>
#include <QWidget>

#include <optional>
#include <string>

class QLabel;
class QPushButton;

namespace receipt_window {

class Pdf_Page_View;

// Where the preview window goes (its frame, in screen pixels): at `remembered` when that
// lies mostly on `screen_available`; else beside `main_frame` without covering it, to
// the right when `wanted` fits there, else to the left, else on the side with more room,
// narrowed to that room.
QRect preview_placement(QRect main_frame, QRect screen_available, QSize wanted, std::optional<QRect> remembered);

// The receipt the form would make now, shown in a window of its own beside the main
// one, with its own 輸出單據 button. A preview that is behind the form says from when it
// is; one the form cannot make now stands dimmed under the reason.
class Preview_Window : public QWidget {
    Q_OBJECT
public:
    // Placed beside `main_window`, or at `remembered` when that still lies on a screen;
    // goes away with `main_window`. Not shown yet.
    Preview_Window(QWidget* main_window, std::optional<QRect> remembered);

    // Shows `pdf` as the receipt the form read at `form_time` makes: undimmed, without a
    // reason or a lag line. A PDF that cannot be read keeps the pages shown, dimmed,
    // under the reason, and false is returned.
    bool show_receipt(const QByteArray& pdf, const QDateTime& form_time);
    // Whether the form has changed since the pages shown were made.
    void show_lagging(bool lagging);
    // Non-empty: the pages shown are dimmed under `reason`. Empty: they are not.
    void set_reason(const std::string& reason);
    // Whether 輸出單據 can be pressed now; `why_not` is its tip when it cannot.
    void set_issue_enabled(bool enabled, const std::string& why_not = {});

    Pdf_Page_View* pages = nullptr;
    QLabel* reason_line = nullptr;
    QLabel* lag_line = nullptr;
    QPushButton* issue_button = nullptr;

    // The size the window asks for: a page at 100 % with the lines and the button.
    static QSize wanted_size();

signals:
    // 輸出單據 was pressed, or Ctrl+Enter in this window, while issuing is enabled.
    void issue_requested();
    // The window was moved, resized or closed: its frame now, to remember.
    void placed(QRect geometry);

protected:
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void request_issue();

    QDateTime form_time_;
};

}  // namespace receipt_window
