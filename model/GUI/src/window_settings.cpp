#include "window_settings.hpp"

#include <i18n/tr.hpp>
#include <platform/root_folder.hpp>

#include <QFile>
#include <QSettings>
#include <QStringDecoder>

#include <algorithm>

#include <optional>
#include <stdexcept>

namespace receipt_window {

namespace {

constexpr const char* kExemptionSeal = "seals/exemption_seal";
constexpr const char* kOwnerSeal = "seals/owner_seal";
constexpr const char* kPrintEach = "printing/print_each";
constexpr const char* kPrinter = "printing/printer";
constexpr const char* kPreviewPlace[] = {"preview/x", "preview/y", "preview/width", "preview/height"};

// Qt's INI reader takes nearly anything; a file that is not text was not written by
// the window, whatever Qt makes of it.
bool is_text(const QString& file) {
    QFile settings(file);
    if (!settings.open(QIODevice::ReadOnly)) return true;  // missing: the usual choices
    const QByteArray bytes = settings.readAll();
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8.decode(bytes);
    if (utf8.hasError()) return false;
    return std::none_of(text.begin(), text.end(),
                        [](QChar c) { return c.category() == QChar::Other_Control && c != '\n' && c != '\r' && c != '\t'; });
}

// A truth value as QSettings writes one; nothing for any other text.
std::optional<bool> truth(const QSettings& settings, const char* key) {
    const QString text = settings.value(key, "false").toString();
    if (text == "true") return true;
    if (text == "false") return false;
    return std::nullopt;
}

// The preview window's place: an empty place when the file has none, nothing at all when
// it has a damaged one (a key missing, a value that is no whole number, an empty size).
std::optional<std::optional<Window_Place>> preview_place(const QSettings& settings) {
    int present = 0;
    int values[4] = {};
    for (int i = 0; i < 4; ++i) {
        if (!settings.contains(kPreviewPlace[i])) continue;
        ++present;
        bool whole = false;
        values[i] = settings.value(kPreviewPlace[i]).toString().trimmed().toInt(&whole);
        if (!whole) return std::nullopt;
    }
    if (present == 0) return std::optional<Window_Place>();
    if (present != 4 || values[2] <= 0 || values[3] <= 0) return std::nullopt;
    return std::optional<Window_Place>(Window_Place{values[0], values[1], values[2], values[3]});
}

}  // namespace

std::string Window_Settings::default_file() { return platform::root_folder() + "settings.ini"; }

Window_Settings::Window_Settings(std::string file) : file_(std::move(file)) {
    const QSettings settings(QString::fromStdString(file_), QSettings::IniFormat);
    if (settings.status() != QSettings::NoError || !is_text(QString::fromStdString(file_))) {
        warning_ = i18n::tr("the settings file {1} cannot be read; the window starts with its usual choices", {file_});
        return;
    }
    const auto exemption = truth(settings, kExemptionSeal);
    const auto owner = truth(settings, kOwnerSeal);
    const auto print_each = truth(settings, kPrintEach);
    const QVariant printer = settings.value(kPrinter, QString());
    if (!exemption || !owner || !print_each || !printer.canConvert<QString>()) {
        warning_ = i18n::tr("the settings file {1} cannot be read; the window starts with its usual choices", {file_});
        return;
    }
    choices_ = {*exemption, *owner, *print_each, printer.toString().toStdString(), {}};
    // A damaged place costs only the place: the preview opens beside the window.
    if (const auto place = preview_place(settings))
        choices_.preview_place = *place;
    else
        warning_ = i18n::tr("the preview window's place in the settings file {1} cannot be read; it opens beside the window", {file_});
}

void Window_Settings::save(const Remembered_Choices& choices) {
    const QString path = QString::fromStdString(file_);
    // QSettings keeps away from a file it cannot parse; the choices made now replace it.
    if (QSettings(path, QSettings::IniFormat).status() == QSettings::FormatError || !is_text(path)) QFile::remove(path);
    QSettings settings(path, QSettings::IniFormat);
    settings.setValue(kExemptionSeal, choices.exemption_seal);
    settings.setValue(kOwnerSeal, choices.owner_seal);
    settings.setValue(kPrintEach, choices.print_each);
    settings.setValue(kPrinter, QString::fromStdString(choices.printer));
    if (const auto& place = choices.preview_place) {
        const int values[4] = {place->x, place->y, place->width, place->height};
        for (int i = 0; i < 4; ++i) settings.setValue(kPreviewPlace[i], values[i]);
    }
    settings.sync();
    if (settings.status() != QSettings::NoError)
        throw std::runtime_error(i18n::tr("cannot write the settings file {1}", {file_}));
    const std::optional<Window_Place> kept = choices.preview_place ? choices.preview_place : choices_.preview_place;
    choices_ = choices;
    choices_.preview_place = kept;
    warning_.clear();
}

}  // namespace receipt_window
