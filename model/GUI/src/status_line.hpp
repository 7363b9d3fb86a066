#pragma once

#include <receipt_channels/worker_entry.hpp>

#include <QLabel>

#include <functional>
#include <string>
#include <vector>

namespace receipt_window {

// The line under the output button that tells what became of the last press until
// the next one: the receipt written, with its number, which a click opens; the same
// in amber with what the owner should look at; or, in red, why nothing was written.
// It also tells how printing a receipt went. What concerns an older receipt is added
// after the newest one's report, never put in its place. It wraps to three rows; only
// a longer text is cut, and its tip holds it whole. Paths may break after any "/",
// where the line's text holds a zero-width space.
class Status_Line : public QLabel {
public:
    // How far printing a written receipt has come.
    enum class Paper { not_asked, printing, printed, failed };

    // `open_file` opens a written receipt; what it throws is reported on standard
    // error, as a failing event handler's error is.
    Status_Line(QWidget* parent, std::function<void(const std::string&)> open_file);

    // The worker's report of one pass and, for a receipt written, how printing it goes;
    // a failed print shows `print_failure` in amber, since the receipt was written.
    void show_outcome(const ReceiptOutcome& outcome, Paper paper = Paper::not_asked, const std::string& print_failure = {});
    // How printing the written `receipt` as it was written ended: on its report while
    // the line shows it; once the line has moved on to another, a failure is added to
    // that one, naming the receipt, and a success goes unsaid.
    void end_print(const ReceiptOutcome& receipt, const std::string& print_failure);
    // The written `receipt` printed again with the print button, in `copies` copies, is
    // under way: in the line's place, or, with `beside`, added to what the line shows.
    void start_reprint(const ReceiptOutcome& receipt, int copies, bool beside);
    // How that print ended, `print_failure` in red: said where the line shows the print;
    // once the line has moved on, a failure is added to it and a success goes unsaid.
    void end_reprint(const ReceiptOutcome& receipt, int copies, const std::string& print_failure);
    // Why the window itself kept a press from sending, in red, or what it wants looked
    // at before one, in amber; said until one of the fields in `about` changes.
    void show_refusal(const std::string& reason, std::vector<const QWidget*> about = {});
    void show_warning(const std::string& text, std::vector<const QWidget*> about);
    // Adds, in red, what went wrong with something the owner asked of the desktop, beside
    // what the line shows.
    void add_problem(const std::string& text);
    // A field of the form changed: a refusal or warning about it is over, and so is a
    // failure the worker reported for the form as it was.
    void field_changed(const QWidget* field);
    // Empties the line, for a press that was sent.
    void clear_outcome();

    // The receipt a click opens; empty while the line shows none.
    const std::string& receipt() const { return receipt_; }

    // "Written No. 000123" for receipt number 123, in the language in use.
    static std::string written_text(long long number);

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    enum class Tone { plain, warning, error };
    // One piece of the line: a report, a print or a failure, about the receipt `key` names.
    struct Part {
        std::string key;
        std::string text;
        Tone tone = Tone::plain;
    };

    // Puts `part` first on the line, about `receipt` (empty: none). Added parts stay
    // while it is about the same receipt; failures added stay in any case.
    void show_main(Part part, const std::string& receipt);
    // Adds `part` after the line's first, or updates the one with its key.
    void add(Part part);
    // Updates the part with `part`'s key wherever the line shows it; false when it shows none.
    bool update(const Part& part);
    void show();
    static Part reprint_part(const ReceiptOutcome& receipt, Paper paper, int copies, const std::string& print_failure);
    // `text`, cut short with "…" where it would need more than the line's rows.
    QString fitted(const QString& text) const;

    std::function<void(const std::string&)> open_file_;
    std::string receipt_;
    Part main_;
    std::vector<Part> added_;
    // The fields whose change ends what the line's first part says; with `about_form_`,
    // any field does.
    std::vector<const QWidget*> about_;
    bool about_form_ = false;
};

}  // namespace receipt_window
