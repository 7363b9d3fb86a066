#pragma once

#include <platform/printing.hpp>

#include <QWidget>

#include <optional>

namespace receipt_window {

// Qt's print dialog, asking only for the printer and the number of copies, opened on
// `current`. Nothing when the user cancels. The dialog only chooses: the receipt's PDF
// goes to the print service as it is.
std::optional<platform::PrintRequest> choose_printer_in_dialog(QWidget* parent, const platform::PrintRequest& current);

}  // namespace receipt_window
