#include "print_dialog.hpp"

#include <QPrintDialog>
#include <QPrinter>

namespace receipt_window {

std::optional<platform::PrintRequest> choose_printer_in_dialog(QWidget* parent, const platform::PrintRequest& current) {
    QPrinter printer;
    if (!current.printer.empty()) printer.setPrinterName(QString::fromStdString(current.printer));
    printer.setCopyCount(current.copies);
    QPrintDialog dialog(&printer, parent);
    dialog.setWindowTitle("列印");
    // No file, page range or page size to choose: the receipt prints whole, at its own size.
    dialog.setOptions({});
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return platform::PrintRequest{.printer = printer.printerName().toStdString(), .copies = printer.copyCount()};
}

}  // namespace receipt_window
