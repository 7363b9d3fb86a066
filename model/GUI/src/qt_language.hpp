#pragma once

#include <QCoreApplication>

namespace receipt_window {

// Loads Qt's own Traditional Chinese texts into `application` when the program speaks
// Chinese, so that Qt's dialogs (printing, files, context menus) speak it too. Returns
// whether a catalogue was loaded; a missing one leaves Qt's dialogs in English and
// says so on standard error.
bool load_qt_translation(QCoreApplication& application);

}  // namespace receipt_window
