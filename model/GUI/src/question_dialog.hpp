#pragma once

#include <QWidget>

#include <string>

namespace receipt_window {

// Asks `question` in a dialog over `parent` with Yes and No, No first in line for the
// keyboard; true when the user answers Yes.
bool ask_in_dialog(QWidget* parent, const std::string& question);

}  // namespace receipt_window
