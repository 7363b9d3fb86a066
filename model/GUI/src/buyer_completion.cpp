#include "buyer_completion.hpp"

#include <receipt_register/receipt_register.hpp>

#include <QEvent>
#include <QtConcurrent/QtConcurrentRun>

#include <iostream>

namespace receipt_window {

namespace {

Buyer_Completion::Found read_buyers(const std::string& receipt_folder) {
    Buyer_Completion::Found found;
    try {
        if (auto book = receipt_register::Receipt_Register::open_existing(receipt_folder)) found.buyers = book->buyers();
    } catch (const std::exception& error) {
        found.error = error.what();
    }
    return found;
}

}  // namespace

Buyer_Completion::Buyer_Completion(QLineEdit* buyer, QLineEdit* tax_number, std::string receipt_folder)
    : QObject(buyer),
      buyer_(buyer),
      tax_number_(tax_number),
      receipt_folder_(std::move(receipt_folder)),
      model_(new QStringListModel(this)),
      completer_(new QCompleter(model_, this)) {
    completer_->setCaseSensitivity(Qt::CaseInsensitive);
    // Any part of a name finds it: 測試 finds 台灣測試有限公司.
    completer_->setFilterMode(Qt::MatchContains);
    completer_->setModelSorting(QCompleter::UnsortedModel);
    buyer->setCompleter(completer_);
    buyer->installEventFilter(this);
    connect(completer_, qOverload<const QString&>(&QCompleter::activated), this, &Buyer_Completion::picked);
    connect(&reading_, &QFutureWatcher<Found>::finished, this, [this] {
        take(reading_.result());
        if (read_again_) refresh();
    });
    refresh();
}

Buyer_Completion::~Buyer_Completion() { reading_.waitForFinished(); }

void Buyer_Completion::refresh() {
    read_again_ = reading_.isRunning();
    if (read_again_) return;
    reading_.setFuture(QtConcurrent::run(read_buyers, receipt_folder_));
}

bool Buyer_Completion::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn && watched == buyer_) refresh();
    return false;
}

void Buyer_Completion::take(const Found& found) {
    // The same fault would otherwise be printed at every focus.
    if (!found.error.empty() && found.error != last_error_) std::cout << found.error << std::endl;
    last_error_ = found.error;
    if (!found.error.empty()) return;
    QStringList names;
    tax_numbers_.clear();
    for (const auto& known : found.buyers) {
        const QString name = QString::fromStdString(known.buyer);
        names.append(name);
        tax_numbers_[name] = QString::fromStdString(known.tax_number);
    }
    model_->setStringList(names);
}

void Buyer_Completion::picked(const QString& buyer) {
    if (!tax_number_ || !tax_number_->text().isEmpty()) return;
    const auto found = tax_numbers_.find(buyer);
    if (found != tax_numbers_.end()) tax_number_->setText(found->second);
}

}  // namespace receipt_window
