#pragma once

#include "preview_window.hpp"

#include <receipt_channels/channels.hpp>

#include <nlohmann/json.hpp>

#include <QDateTime>
#include <QObject>
#include <QPointer>
#include <QRect>

#include <deque>
#include <functional>
#include <optional>
#include <string>

class QTimer;
class QWidget;

namespace receipt_window {

// The form as a press would send it: the request, or why the window would refuse it.
struct Form_Reading {
    std::optional<nlohmann::json> request;
    std::string refusal;
    // The state of the seal pictures the receipt would take, which the request only names.
    std::string pictures;
};

// Keeps the preview window showing the receipt the form makes now. A change of the form
// asks the worker for a preview 400 ms after the last change, on queue "preview"; the
// answers on "preview_done" are looked for only while one is awaited, so the idle
// window costs nothing. Everything runs on the window's thread.
class Receipt_Preview : public QObject {
public:
    struct Hooks {
        // Reads the form; called on every change, so it must be quick and touch nothing.
        std::function<Form_Reading()> read_form;
        // Presses 輸出單據 of the main window.
        std::function<void()> issue;
        // Where the preview window stands, to remember.
        std::function<void(QRect)> placed;
    };

    Receipt_Preview(QWidget* main_window, Queue& previews, Queue& previews_done, Hooks hooks,
                    std::optional<QRect> remembered_place);
    ~Receipt_Preview() override;

    // Opens the preview window, or brings it to the front, and shows the form at once.
    void open();
    // A field, box, switch or the date changed: the pages shown are from before it.
    void form_changed();

    // Empty while no preview window is open.
    Preview_Window* window() const { return window_; }
    // The request the pages shown were made from; null before the first.
    const nlohmann::json& shown_request() const { return shown_request_; }

    static constexpr int kQuietPeriodMs = 400;

private:
    struct Asked {
        long long id;
        nlohmann::json request;
        std::string pictures;
        QDateTime form_time;
    };

    // Whether the pages shown are what `form` makes now.
    bool shows(const Form_Reading& form) const;

    // The quiet period is over: asks for a preview of the form unless one is asked for
    // or shown already, or shows why the form would be refused.
    void refresh();
    // Takes the worker's answers, shows the newest and removes their files.
    void take_answers();
    // The lag line and the button, from the form now and the pages shown.
    void show_state(const Form_Reading& form);
    void issue_shown();

    QWidget* main_window_;
    Queue& previews_;
    Queue& previews_done_;
    Hooks hooks_;
    std::optional<QRect> place_;
    QPointer<Preview_Window> window_;
    QTimer* quiet_ = nullptr;
    QTimer* answers_ = nullptr;
    // A window dragged across the screen reports every step; its place is kept once it rests.
    QTimer* keep_place_ = nullptr;
    long long last_id_ = 0;
    // Asked for and not yet answered, oldest first; the worker answers only the newest.
    std::deque<Asked> asked_;
    nlohmann::json shown_request_;
    std::string shown_pictures_;
};

}  // namespace receipt_window
