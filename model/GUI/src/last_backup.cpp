#include "last_backup.hpp"

#include <i18n/tr.hpp>

#include <QSettings>

#include <stdexcept>

namespace receipt_window {

namespace {

constexpr const char* kLastBackupKey = "backup/last";

}  // namespace

std::optional<QDateTime> read_last_backup(const std::string& file) {
    QSettings settings(QString::fromStdString(file), QSettings::IniFormat);
    const QDateTime last = QDateTime::fromString(settings.value(kLastBackupKey).toString(), Qt::ISODate);
    if (settings.status() != QSettings::NoError) throw std::runtime_error(i18n::tr("cannot read the settings file {1}", {file}));
    // A time that does not read as one counts as no backup, which reminds rather than hides.
    if (!last.isValid()) return std::nullopt;
    return last;
}

void write_last_backup(const std::string& file, const QDateTime& when) {
    QSettings settings(QString::fromStdString(file), QSettings::IniFormat);
    settings.setValue(kLastBackupKey, when.toString(Qt::ISODate));
    settings.sync();
    if (settings.status() != QSettings::NoError) throw std::runtime_error(i18n::tr("cannot write the settings file {1}", {file}));
}

bool backup_due(const std::optional<QDateTime>& last, const QDateTime& now) {
    return !last || last->addDays(kBackupReminderDays) < now;
}

}  // namespace receipt_window
