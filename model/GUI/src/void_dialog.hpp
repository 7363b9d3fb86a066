#pragma once

#include <QDialog>

#include <string>

class QLineEdit;
class QPushButton;

namespace receipt_window {

// Asks whether to void one receipt, naming its number and buyer, and for the reason the
// register keeps with it; the confirming button stays off until a reason is typed.
class Void_Dialog : public QDialog {
    Q_OBJECT
public:
    Void_Dialog(QWidget* parent, long long number, const std::string& buyer);

    std::string reason() const;
    QLineEdit* reason_field() const { return reason_; }
    QPushButton* confirm_button() const { return confirm_; }

private:
    QLineEdit* reason_ = nullptr;
    QPushButton* confirm_ = nullptr;
};

}  // namespace receipt_window
