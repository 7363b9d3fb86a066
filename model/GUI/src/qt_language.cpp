#include "qt_language.hpp"

#include <i18n/tr.hpp>

#include <QLibraryInfo>
#include <QTranslator>

#include <iostream>

namespace receipt_window {

bool load_qt_translation(QCoreApplication& application) {
    if (i18n::language() != i18n::Language::chinese) return false;
    // Owned by the application: its texts are read for as long as it runs.
    auto* translator = new QTranslator(&application);
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (!translator->load("qtbase_zh_TW", folder)) {
        std::cerr << "Qt's Traditional Chinese texts (qtbase_zh_TW) are not in " << folder.toStdString()
                  << "; Qt's dialogs stay in English" << std::endl;
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

}  // namespace receipt_window
