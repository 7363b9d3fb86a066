#include "status_line.hpp"

#include <receipt_register/receipt_files.hpp>
#include <widget_kit/handlers.hpp>
#include <widget_kit/label.hpp>
#include <widget_kit/theme.hpp>

#include <QMouseEvent>

namespace receipt_window {

namespace {

constexpr int kWidth = 280;
constexpr int kRows = 2;

}  // namespace

Status_Line::Status_Line(QWidget* parent, std::function<void(const std::string&)> open_file)
    : QLabel(parent), open_file_(std::move(open_file)) {
    setAlignment(Qt::AlignCenter);
    setWordWrap(true);
    setFont(Widget_Kit::pixel_font("Microsoft JhengHei", 13, true));
    setFixedSize(kWidth, kRows * fontMetrics().lineSpacing());
}

QString Status_Line::fitted(const QString& text) const {
    const QFontMetrics metrics(font());
    const auto fits = [&](const QString& shown) {
        return metrics.boundingRect(QRect(0, 0, kWidth, 1 << 20), Qt::TextWordWrap, shown).height() <=
               kRows * metrics.lineSpacing();
    };
    if (fits(text)) return text;
    qsizetype kept = 0, too_many = text.size();
    while (too_many - kept > 1) {
        const qsizetype middle = (kept + too_many) / 2;
        (fits(text.left(middle) + "…") ? kept : too_many) = middle;
    }
    return text.left(kept) + "…";
}

std::string Status_Line::written_text(long long number) { return "已輸出 No. " + receipt_register::number_text(number); }

void Status_Line::show_outcome(const ReceiptOutcome& outcome, Paper paper, const std::string& print_failure) {
    if (!outcome.written) {
        receipt_.clear();
        show_text(outcome.error, Widget_Kit::theme().error);
        return;
    }
    receipt_ = outcome.pdf_path;
    const std::string number = receipt_register::number_text(outcome.number);
    std::string text = paper == Paper::printed ? "已輸出並列印 No. " + number : written_text(outcome.number);
    if (paper == Paper::printing) text += "，列印中…";
    std::vector<std::string> notes = outcome.warnings;
    if (paper == Paper::failed) notes.insert(notes.begin(), "未列印，" + print_failure);
    for (std::size_t i = 0; i < notes.size(); ++i) text += (i == 0 ? "：" : "；") + notes[i];
    show_text(text, notes.empty() ? Widget_Kit::theme().text : Widget_Kit::theme().warning);
}

void Status_Line::show_reprint(const ReceiptOutcome& receipt, Paper paper, int copies, const std::string& print_failure) {
    receipt_ = receipt.pdf_path;
    const std::string number = "No. " + receipt_register::number_text(receipt.number);
    if (paper == Paper::failed) {
        show_text("未列印 " + number + "：" + print_failure, Widget_Kit::theme().error);
        return;
    }
    std::string text = (paper == Paper::printed ? "已列印 " : "列印中 ") + number;
    if (copies > 1) text += "（" + std::to_string(copies) + " 份）";
    if (paper != Paper::printed) text += "…";
    show_text(text, Widget_Kit::theme().text);
}

void Status_Line::show_refusal(const std::string& reason) {
    receipt_.clear();
    show_text(reason, Widget_Kit::theme().error);
}

void Status_Line::clear_outcome() {
    receipt_.clear();
    show_text("", Widget_Kit::theme().text);
}

void Status_Line::show_text(const std::string& text, const QColor& color) {
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, color);
    setPalette(colours);
    QFont font = this->font();
    font.setUnderline(!receipt_.empty());
    setFont(font);
    // A long reason is cut to the line's rows; its tip holds it whole.
    const QString whole = QString::fromStdString(text);
    setText(fitted(whole));
    setToolTip(whole);
    setCursor(receipt_.empty() ? Qt::ArrowCursor : Qt::PointingHandCursor);
}

void Status_Line::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton || receipt_.empty()) return;
    Widget_Kit::call_handler([this] { open_file_(receipt_); });
}

}  // namespace receipt_window
