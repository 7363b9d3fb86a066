#pragma once

#include <QDateTime>

#include <optional>
#include <string>

namespace receipt_window {

// Days after which the receipt book reminds the owner to back up again.
inline constexpr int kBackupReminderDays = 30;

// When the last backup was written, kept in the settings file `file` (settings.ini under
// the root folder); nothing before the first. Throws std::runtime_error naming the file
// when it cannot be read or written.
std::optional<QDateTime> read_last_backup(const std::string& file);
void write_last_backup(const std::string& file, const QDateTime& when);

// Whether a backup is due at `now`: none was written yet, or the last one is older than
// kBackupReminderDays.
bool backup_due(const std::optional<QDateTime>& last, const QDateTime& now);

}  // namespace receipt_window
