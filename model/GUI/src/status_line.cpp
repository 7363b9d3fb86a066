#include "status_line.hpp"

#include <i18n/tr.hpp>
#include <receipt_register/receipt_files.hpp>
#include <widget_kit/handlers.hpp>
#include <widget_kit/label.hpp>
#include <widget_kit/theme.hpp>

#include <QMouseEvent>
#include <QTextDocument>

#include <algorithm>

namespace receipt_window {

namespace {

constexpr int kWidth = 296;
constexpr int kRows = 3;
// A zero-width space: a place to break a line that shows nothing.
constexpr QChar kBreak(0x200B);

std::string outcome_key(const ReceiptOutcome& receipt) { return "outcome " + receipt.pdf_path; }
std::string print_key(const ReceiptOutcome& receipt) { return "print " + receipt.pdf_path; }
std::string reprint_key(const ReceiptOutcome& receipt) { return "reprint " + receipt.pdf_path; }
std::string number_of(const ReceiptOutcome& receipt) { return receipt_register::number_text(receipt.number); }

}  // namespace

Status_Line::Status_Line(QWidget* parent, std::function<void(const std::string&)> open_file)
    : QLabel(parent), open_file_(std::move(open_file)) {
    // Reasons quote what was typed, which is never markup.
    setTextFormat(Qt::PlainText);
    setAlignment(Qt::AlignCenter);
    setWordWrap(true);
    setFont(Widget_Kit::pixel_font("Microsoft JhengHei", 12, true));
    const QString rows = QString("1\n").repeated(kRows - 1) + "1";
    setFixedSize(kWidth, fontMetrics().boundingRect(QRect(0, 0, kWidth, 1 << 20), Qt::TextWordWrap, rows).height());
}

QString Status_Line::fitted(const QString& text) const {
    const QFontMetrics metrics(font());
    const auto fits = [&](const QString& shown) {
        return metrics.boundingRect(QRect(0, 0, kWidth, 1 << 20), Qt::TextWordWrap, shown).height() <= height();
    };
    if (fits(text)) return text;
    qsizetype kept = 0, too_many = text.size();
    while (too_many - kept > 1) {
        const qsizetype middle = (kept + too_many) / 2;
        (fits(text.left(middle) + "…") ? kept : too_many) = middle;
    }
    return text.left(kept) + "…";
}

std::string Status_Line::written_text(long long number) {
    return i18n::tr("Written No. {1}", {receipt_register::number_text(number)});
}

void Status_Line::show_outcome(const ReceiptOutcome& outcome, Paper paper, const std::string& print_failure) {
    if (!outcome.written) {
        show_main({"", outcome.error, Tone::error}, "");
        about_form_ = true;
        return;
    }
    const std::string number = receipt_register::number_text(outcome.number);
    std::string text = paper == Paper::printed ? i18n::tr("Written and printed No. {1}", {number}) : written_text(outcome.number);
    if (paper == Paper::printing) text = i18n::tr("{1}, printing…", {text});
    std::vector<std::string> notes = outcome.warnings;
    if (paper == Paper::failed) notes.insert(notes.begin(), i18n::tr("not printed, {1}", {print_failure}));
    for (std::size_t i = 0; i < notes.size(); ++i) text = i == 0 ? i18n::tr("{1}: {2}", {text, notes[i]}) : i18n::tr("{1}; {2}", {text, notes[i]});
    show_main({outcome_key(outcome), text, notes.empty() ? Tone::plain : Tone::warning}, outcome.pdf_path);
}

void Status_Line::end_print(const ReceiptOutcome& receipt, const std::string& print_failure) {
    if (main_.key == outcome_key(receipt)) {
        show_outcome(receipt, print_failure.empty() ? Paper::printed : Paper::failed, print_failure);
        return;
    }
    if (!print_failure.empty())
        add({print_key(receipt), i18n::tr("Not printed No. {1}: {2}", {number_of(receipt), print_failure}), Tone::warning});
}

void Status_Line::start_reprint(const ReceiptOutcome& receipt, int copies, bool beside) {
    // Printed again, the receipt no longer waits for its first print, and an earlier
    // failure to print it again is over: one part speaks for its printing from now on.
    std::erase_if(added_, [&](const Part& part) { return part.key == print_key(receipt) || part.key == reprint_key(receipt); });
    Part part = reprint_part(receipt, Paper::printing, copies, "");
    if (beside) add(std::move(part));
    else show_main(std::move(part), receipt.pdf_path);
}

void Status_Line::end_reprint(const ReceiptOutcome& receipt, int copies, const std::string& print_failure) {
    Part part = reprint_part(receipt, print_failure.empty() ? Paper::printed : Paper::failed, copies, print_failure);
    if (!update(part) && !print_failure.empty()) add(std::move(part));
}

void Status_Line::show_refusal(const std::string& reason, std::vector<const QWidget*> about) {
    show_main({"", reason, Tone::error}, "");
    about_ = std::move(about);
}

void Status_Line::show_warning(const std::string& text, std::vector<const QWidget*> about) {
    show_main({"", text, Tone::warning}, "");
    about_ = std::move(about);
}

void Status_Line::add_problem(const std::string& text) { add({"desktop " + text, text, Tone::error}); }

void Status_Line::field_changed(const QWidget* field) {
    if (!about_form_ && std::find(about_.begin(), about_.end(), field) == about_.end()) return;
    show_main({}, "");
}

void Status_Line::clear_outcome() {
    added_.clear();
    show_main({}, "");
}

Status_Line::Part Status_Line::reprint_part(const ReceiptOutcome& receipt, Paper paper, int copies,
                                            const std::string& print_failure) {
    const std::string key = reprint_key(receipt);
    if (paper == Paper::failed)
        return {key, i18n::tr("Not printed No. {1}: {2}", {number_of(receipt), print_failure}), Tone::error};
    const std::string number = number_of(receipt), count = std::to_string(copies);
    if (paper == Paper::printed)
        return {key, copies > 1 ? i18n::tr("Printed No. {1} ({2} copies)", {number, count}) : i18n::tr("Printed No. {1}", {number}),
                Tone::plain};
    return {key, copies > 1 ? i18n::tr("Printing No. {1} ({2} copies)…", {number, count}) : i18n::tr("Printing No. {1}…", {number}),
            Tone::plain};
}

void Status_Line::show_main(Part part, const std::string& receipt) {
    // What was said about another receipt goes, except its failures: the line is the
    // only place they are told.
    if (receipt.empty() || receipt != receipt_)
        std::erase_if(added_, [](const Part& added) { return added.tone == Tone::plain; });
    main_ = std::move(part);
    receipt_ = receipt;
    about_.clear();
    about_form_ = false;
    show();
}

void Status_Line::add(Part part) {
    if (update(part)) return;
    added_.push_back(std::move(part));
    show();
}

bool Status_Line::update(const Part& part) {
    if (part.key.empty()) return false;
    Part* shown = main_.key == part.key ? &main_ : nullptr;
    for (Part& added : added_)
        if (added.key == part.key) shown = &added;
    if (shown == nullptr) return false;
    *shown = part;
    show();
    return true;
}

void Status_Line::show() {
    std::string text = main_.text;
    Tone tone = main_.tone;
    for (const Part& part : added_) {
        text = text.empty() ? part.text : i18n::tr("{1}; {2}", {text, part.text});
        tone = std::max(tone, part.tone);
    }
    const Widget_Kit::Theme& theme = Widget_Kit::theme();
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText,
                     tone == Tone::error ? theme.error : tone == Tone::warning ? theme.warning : theme.text);
    setPalette(colours);
    QFont font = this->font();
    font.setUnderline(!receipt_.empty());
    setFont(font);
    // A long reason is cut to the line's rows; its tip holds it whole. A tip is read as
    // markup whenever it looks like some, and typed text may.
    const QString whole = QString::fromStdString(text);
    // A path may break after any "/", as a long one must to wrap at all.
    QString breakable = whole;
    breakable.replace('/', QString("/") + kBreak);
    setText(fitted(breakable));
    setToolTip(whole.isEmpty() ? QString() : Qt::convertFromPlainText(whole, Qt::WhiteSpaceNormal));
    setCursor(receipt_.empty() ? Qt::ArrowCursor : Qt::PointingHandCursor);
}

void Status_Line::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton || receipt_.empty()) return;
    Widget_Kit::call_handler([this] { open_file_(receipt_); });
}

}  // namespace receipt_window
