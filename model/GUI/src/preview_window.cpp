#include "preview_window.hpp"

#include "pdf_page_view.hpp"

#include <i18n/tr.hpp>
#include <widget_kit/theme.hpp>

#include <QCloseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QVBoxLayout>

#include <algorithm>
#include <stdexcept>

namespace receipt_window {

namespace {

// Narrower than this, a page shows too small to read: the window covers part of the
// main one rather.
constexpr int kNarrowest = 240;

long long area(const QRect& rect) { return rect.isEmpty() ? 0 : static_cast<long long>(rect.width()) * rect.height(); }

void paint_text(QLabel* label, const QColor& colour) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
}

QString issue_tip() { return QString::fromStdString(i18n::tr("Issue the receipt shown here (Ctrl+Enter)")); }

}  // namespace

QRect preview_placement(QRect main_frame, QRect screen_available, QSize wanted, std::optional<QRect> remembered) {
    if (remembered && 2 * area(remembered->intersected(screen_available)) > area(*remembered)) return *remembered;
    const int height = std::min(wanted.height(), screen_available.height());
    const int top = std::clamp(main_frame.top(), screen_available.top(), screen_available.bottom() + 1 - height);
    const int right_room = screen_available.right() - main_frame.right();
    const int left_room = main_frame.left() - screen_available.left();
    int width = wanted.width();
    bool right = true;
    if (wanted.width() <= right_room) {
        right = true;
    } else if (wanted.width() <= left_room) {
        right = false;
    } else {
        right = right_room >= left_room;
        width = std::min(wanted.width(), std::max(kNarrowest, right ? right_room : left_room));
    }
    const int left = right ? std::min(main_frame.right() + 1, screen_available.right() + 1 - width)
                           : std::max(main_frame.left() - width, screen_available.left());
    return {left, top, width, height};
}

QSize Preview_Window::wanted_size() { return {860, 680}; }

Preview_Window::Preview_Window(QWidget* main_window, std::optional<QRect> remembered)
    : QWidget(main_window, Qt::Window) {
    setWindowTitle("預覽");
    reason_line = new QLabel(this);
    reason_line->setWordWrap(true);
    reason_line->setTextFormat(Qt::PlainText);
    paint_text(reason_line, Widget_Kit::theme().error);
    reason_line->hide();
    lag_line = new QLabel(this);
    lag_line->setTextFormat(Qt::PlainText);
    paint_text(lag_line, Widget_Kit::theme().warning);
    lag_line->hide();
    pages = new Pdf_Page_View(this);
    issue_button = new QPushButton("輸出單據", this);
    issue_button->setToolTip(issue_tip());
    connect(issue_button, &QPushButton::clicked, this, &Preview_Window::request_issue);
    // Ctrl+Enter on the keypad arrives with the keypad modifier, which a plain Ctrl+Enter
    // sequence does not match.
    for (const QKeySequence& keys : {QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter),
                                     QKeySequence(Qt::ControlModifier | Qt::KeypadModifier | Qt::Key_Enter)})
        connect(new QShortcut(keys, this), &QShortcut::activated, this, &Preview_Window::request_issue);
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this, &QWidget::close);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(reason_line);
    layout->addWidget(lag_line);
    layout->addWidget(pages, 1);
    auto* actions = new QHBoxLayout;
    actions->addStretch(1);
    actions->addWidget(issue_button);
    layout->addLayout(actions);

    // The frame is not known before the window is shown: the main window's stands for it.
    const QRect main_frame = main_window->frameGeometry();
    const QRect main_inside = main_window->geometry();
    const QMargins decoration(main_inside.left() - main_frame.left(), main_inside.top() - main_frame.top(),
                              main_frame.right() - main_inside.right(), main_frame.bottom() - main_inside.bottom());
    QScreen* screen = remembered ? QGuiApplication::screenAt(remembered->center()) : nullptr;
    if (screen == nullptr) screen = main_window->screen();
    const QRect frame = preview_placement(main_frame, screen->availableGeometry(), wanted_size(), remembered);
    move(frame.topLeft());
    resize(frame.marginsRemoved(decoration).size());
}

bool Preview_Window::show_receipt(const QByteArray& pdf, const QDateTime& form_time) {
    try {
        pages->show_pdf(pdf);
    } catch (const std::exception& error) {
        set_reason(error.what());
        return false;
    }
    form_time_ = form_time;
    set_reason({});
    show_lagging(false);
    return true;
}

void Preview_Window::show_lagging(bool lagging) {
    // Before the first pages there is nothing that could be mistaken for the form now.
    if (!lagging || !form_time_.isValid()) {
        lag_line->hide();
        return;
    }
    lag_line->setText(QString::fromStdString(i18n::tr("This preview shows the form at {1}; updating…",
                                                      {form_time_.toString("HH:mm:ss").toStdString()})));
    lag_line->show();
}

void Preview_Window::set_reason(const std::string& reason) {
    reason_line->setText(QString::fromStdString(reason));
    reason_line->setVisible(!reason.empty());
    pages->set_dimmed(!reason.empty());
}

void Preview_Window::set_issue_enabled(bool enabled, const std::string& why_not) {
    issue_button->setEnabled(enabled);
    issue_button->setToolTip(enabled || why_not.empty() ? issue_tip() : QString::fromStdString(why_not));
}

void Preview_Window::request_issue() {
    if (issue_button->isEnabled()) emit issue_requested();
}

void Preview_Window::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    if (isVisible()) emit placed(frameGeometry());
}

void Preview_Window::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (isVisible()) emit placed(frameGeometry());
}

void Preview_Window::closeEvent(QCloseEvent* event) {
    emit placed(frameGeometry());
    QWidget::closeEvent(event);
}

}  // namespace receipt_window
