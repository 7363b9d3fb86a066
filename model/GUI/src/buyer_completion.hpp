#pragma once

#include <receipt_register/receipt_record.hpp>

#include <QCompleter>
#include <QFutureWatcher>
#include <QLineEdit>
#include <QPointer>
#include <QStringListModel>

#include <map>
#include <string>
#include <vector>

namespace receipt_window {

// Completes the 買受人 field from the buyers in the receipt register, the most recently
// served first; picking one while the 統一編號 field is empty fills in the tax number
// last given for that buyer. The register is read again each time the buyer field gains
// the focus, on a pool thread, so that the window never waits for the disk.
class Buyer_Completion : public QObject {
public:
    // `receipt_folder` holds the register; without one there is nothing to complete.
    Buyer_Completion(QLineEdit* buyer, QLineEdit* tax_number, std::string receipt_folder);
    ~Buyer_Completion() override;

    // Reads the register again; the completer changes once it has been read.
    void refresh();

    QCompleter* completer() const { return completer_; }

    // What one reading of the register found.
    struct Found {
        std::vector<receipt_register::Known_Buyer> buyers;
        std::string error;  // why the register could not be read, or empty
    };

private:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void take(const Found& found);
    void picked(const QString& buyer);

    // Only compared with: the filter still sees events while the field is destroyed.
    QObject* buyer_;
    QPointer<QLineEdit> tax_number_;
    std::string receipt_folder_;
    QStringListModel* model_;
    QCompleter* completer_;
    std::map<QString, QString> tax_numbers_;
    QFutureWatcher<Found> reading_;
    bool read_again_ = false;
    std::string last_error_;
};

}  // namespace receipt_window
