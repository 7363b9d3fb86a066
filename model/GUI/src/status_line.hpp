#pragma once

#include <receipt_channels/worker_entry.hpp>

#include <QLabel>

#include <functional>
#include <string>

namespace receipt_window {

// The line under the output button that tells what became of the last press until
// the next one: the receipt written, with its number, which a click opens; the same
// in amber with what the owner should look at; or, in red, why nothing was written.
// It also tells how printing a receipt went.
class Status_Line : public QLabel {
public:
    // How far printing a written receipt has come.
    enum class Paper { not_asked, printing, printed, failed };

    // `open_file` opens a written receipt; what it throws is reported on standard
    // error, as a failing event handler's error is.
    Status_Line(QWidget* parent, std::function<void(const std::string&)> open_file);

    // The worker's report of one pass and, for a receipt written, how printing it went;
    // a failed print shows `print_failure` in amber, since the receipt was written.
    void show_outcome(const ReceiptOutcome& outcome, Paper paper = Paper::not_asked, const std::string& print_failure = {});
    // The written `receipt` printed again with the print button: under way, done in
    // `copies` copies, or, in red, failed for `print_failure`.
    void show_reprint(const ReceiptOutcome& receipt, Paper paper, int copies, const std::string& print_failure = {});
    // Why the window itself kept a press from sending.
    void show_refusal(const std::string& reason);
    // Empties the line, for a press that was sent.
    void clear_outcome();

    // The receipt a click opens; empty while the line shows none.
    const std::string& receipt() const { return receipt_; }

    // "已輸出 No. 000123" for receipt number 123.
    static std::string written_text(long long number);

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void show_text(const std::string& text, const QColor& color);
    // `text`, cut short with "…" where it would need more than the line's rows.
    QString fitted(const QString& text) const;

    std::function<void(const std::string&)> open_file_;
    std::string receipt_;
};

}  // namespace receipt_window
