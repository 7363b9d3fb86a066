#include "question_dialog.hpp"

#include <QMessageBox>

namespace receipt_window {

bool ask_in_dialog(QWidget* parent, const std::string& question) {
    // No is the default: an Enter pressed by habit must not issue a second receipt.
    return QMessageBox::question(parent, QString::fromUtf8("免用統一發票收據軟體"), QString::fromStdString(question),
                                 QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
}

}  // namespace receipt_window
