#include "receipt_preview.hpp"

#include <i18n/tr.hpp>
#include <platform/root_folder.hpp>
#include <receipt_channels/worker_entry.hpp>
#include <widget_kit/handlers.hpp>

#include <QFile>
#include <QLabel>
#include <QTimer>

#include <filesystem>

namespace receipt_window {
namespace {

// Often enough that the answer is on screen a frame or two after the worker wrote it;
// an answer that is long in coming (a receipt being written, a worker that is gone) is
// looked for more calmly.
constexpr int kAnswerPollMs = 10;
constexpr int kLateAnswerPollMs = 250;
constexpr qint64 kAnswerLateAfterMs = 2000;

// The PDF's bytes, read whole so that its file can go at once.
QByteArray take_file(const std::string& path) {
    QFile file(QString::fromStdString(path));
    QByteArray bytes;
    if (file.open(QIODevice::ReadOnly)) bytes = file.readAll();
    file.close();
    std::error_code ignored;
    std::filesystem::remove(platform::to_path(path), ignored);
    return bytes;
}

}  // namespace

Receipt_Preview::Receipt_Preview(QWidget* main_window, Queue& previews, Queue& previews_done, Hooks hooks,
                                 std::optional<QRect> remembered_place)
    : QObject(nullptr),
      main_window_(main_window),
      previews_(previews),
      previews_done_(previews_done),
      hooks_(std::move(hooks)),
      place_(remembered_place) {
    quiet_ = new QTimer(this);
    quiet_->setSingleShot(true);
    quiet_->setInterval(kQuietPeriodMs);
    connect(quiet_, &QTimer::timeout, this, [this] { Widget_Kit::call_handler([this] { refresh(); }); });
    answers_ = new QTimer(this);
    answers_->setInterval(kAnswerPollMs);
    connect(answers_, &QTimer::timeout, this, [this] { Widget_Kit::call_handler([this] { take_answers(); }); });
    keep_place_ = new QTimer(this);
    keep_place_->setSingleShot(true);
    keep_place_->setInterval(500);
    connect(keep_place_, &QTimer::timeout, this, [this] {
        if (hooks_.placed && place_) hooks_.placed(*place_);
    });
}

Receipt_Preview::~Receipt_Preview() {
    if (keep_place_->isActive() && hooks_.placed && place_) hooks_.placed(*place_);
    // Answers still to come are the worker's to clear away at its end.
    while (const auto answer = previews_done_.try_get()) {
        const PreviewOutcome outcome = answer->get<PreviewOutcome>();
        if (outcome.made) take_file(outcome.pdf_path);
    }
}

void Receipt_Preview::open() {
    if (!window_) {
        window_ = new Preview_Window(main_window_, place_);
        window_->setAttribute(Qt::WA_DeleteOnClose);
        connect(window_, &Preview_Window::issue_requested, this,
                [this] { Widget_Kit::call_handler([this] { issue_shown(); }); });
        connect(window_, &Preview_Window::placed, this, [this](QRect place) {
            place_ = place;
            keep_place_->start();
        });
        shown_request_ = nullptr;
        shown_pictures_.clear();
        window_->set_issue_enabled(false, i18n::tr("The preview is being made"));
    }
    window_->show();
    window_->raise();
    window_->activateWindow();
    quiet_->stop();
    refresh();
}

void Receipt_Preview::form_changed() {
    if (!window_) return;
    if (!shown_request_.is_null()) {
        window_->show_lagging(true);
        window_->set_issue_enabled(false, i18n::tr("The preview is catching up with the form"));
    }
    quiet_->start();
}

void Receipt_Preview::refresh() {
    if (!window_) return;
    const Form_Reading form = hooks_.read_form();
    const bool asked_already =
        !asked_.empty() && asked_.back().request == form.request && asked_.back().pictures == form.pictures;
    if (form.request && !shows(form) && !asked_already) {
        asked_.push_back({++last_id_, *form.request, form.pictures, QDateTime::currentDateTime()});
        previews_.put({{"id", last_id_}, {"request", *form.request}});
        answers_->start(kAnswerPollMs);
    }
    show_state(form);
}

void Receipt_Preview::take_answers() {
    std::optional<PreviewOutcome> newest;
    while (const auto answer = previews_done_.try_get()) {
        PreviewOutcome outcome = answer->get<PreviewOutcome>();
        if (newest && newest->made) take_file(newest->pdf_path);
        newest = std::move(outcome);
    }
    if (!newest) {
        if (!asked_.empty() && asked_.back().form_time.msecsTo(QDateTime::currentDateTime()) > kAnswerLateAfterMs)
            answers_->setInterval(kLateAnswerPollMs);
        return;
    }
    std::optional<Asked> asked;
    while (!asked_.empty() && asked_.front().id <= newest->id) {
        asked = std::move(asked_.front());
        asked_.pop_front();
    }
    if (asked_.empty()) answers_->stop();
    const QByteArray pdf = newest->made ? take_file(newest->pdf_path) : QByteArray();
    if (!window_ || !asked || asked->id != newest->id) return;
    const Form_Reading form = hooks_.read_form();
    if (newest->made && window_->show_receipt(pdf, asked->form_time)) {
        shown_request_ = asked->request;
        shown_pictures_ = asked->pictures;
    } else if (newest->made || (form.request == asked->request && form.pictures == asked->pictures)) {
        // The form cannot be shown as it is now; what it made before stays, dimmed under
        // why (the window says it when it cannot read the PDF).
        if (!newest->made) window_->set_reason(newest->error);
        window_->set_issue_enabled(false, window_->reason_line->text().toStdString());
        return;
    }
    show_state(form);
}

void Receipt_Preview::show_state(const Form_Reading& form) {
    if (!form.request) {
        window_->show_lagging(false);
        window_->set_reason(form.refusal);
        window_->set_issue_enabled(false, form.refusal);
        return;
    }
    window_->set_reason({});
    const bool current = shows(form);
    window_->show_lagging(!current && !shown_request_.is_null());
    if (current) window_->set_issue_enabled(true);
    else window_->set_issue_enabled(false, i18n::tr("The preview is catching up with the form"));
}

void Receipt_Preview::issue_shown() {
    // Only the receipt on screen is issued: a form changed since waits for its preview.
    const Form_Reading form = hooks_.read_form();
    if (!shows(form)) {
        show_state(form);
        return;
    }
    hooks_.issue();
}

bool Receipt_Preview::shows(const Form_Reading& form) const {
    return form.request && *form.request == shown_request_ && form.pictures == shown_pictures_;
}

}  // namespace receipt_window
