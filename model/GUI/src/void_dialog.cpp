#include "void_dialog.hpp"

#include <i18n/tr.hpp>
#include <receipt_register/receipt_files.hpp>

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace receipt_window {

Void_Dialog::Void_Dialog(QWidget* parent, long long number, const std::string& buyer) : QDialog(parent) {
    setWindowTitle(QString::fromStdString(i18n::tr("Void a receipt")));
    auto* layout = new QVBoxLayout(this);
    const std::string named = buyer.empty() ? i18n::tr("Void receipt No. {1}, made out to no buyer?",
                                                       {receipt_register::number_text(number)})
                                            : i18n::tr("Void receipt No. {1} for {2}?",
                                                       {receipt_register::number_text(number), buyer});
    auto* question = new QLabel(QString::fromStdString(named), this);
    // A buyer's name is shown as typed, never read as markup.
    question->setTextFormat(Qt::PlainText);
    layout->addWidget(question);
    auto* note = new QLabel(
        QString::fromStdString(i18n::tr("It keeps its number in the register, marked void; this cannot be undone.")), this);
    note->setTextFormat(Qt::PlainText);
    layout->addWidget(note);
    reason_ = new QLineEdit(this);
    reason_->setPlaceholderText(QString::fromStdString(i18n::tr("Reason, e.g. wrong buyer")));
    layout->addWidget(reason_);
    auto* buttons = new QDialogButtonBox(this);
    confirm_ = buttons->addButton(QString::fromStdString(i18n::tr("Void")), QDialogButtonBox::AcceptRole);
    buttons->addButton(QString::fromStdString(i18n::tr("Keep it")), QDialogButtonBox::RejectRole);
    confirm_->setEnabled(false);
    layout->addWidget(buttons);
    connect(reason_, &QLineEdit::textChanged, this, [this] { confirm_->setEnabled(!reason().empty()); });
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

std::string Void_Dialog::reason() const { return reason_->text().trimmed().toStdString(); }

}  // namespace receipt_window
