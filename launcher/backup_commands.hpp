#pragma once

#include <CLI/CLI.hpp>

#include <optional>
#include <ostream>
#include <string>

// `tarnwickery-receipt backup DEST`, `restore ARCHIVE` and `verify --archive FILE`: the
// receipt folder under the program's root folder to and from one checked archive. Each
// returns the exit status: 0 done, 1 failed or refused, 2 for an ARCHIVE that names no
// file, with one line on `errors`.

struct Backup_Options {
    std::string destination;             // backup: a folder, or the new archive's path
    std::string restore_archive;         // restore
    std::optional<std::string> archive;  // verify --archive
};

struct Backup_Commands {
    CLI::App* backup;
    CLI::App* restore;
};

Backup_Commands add_backup_commands(CLI::App& app, Backup_Options& options);
// verify's --archive, which checks an archive instead of the receipt folder.
void add_archive_option(CLI::App& verify, Backup_Options& options);

int run_backup(const std::string& destination, std::ostream& out, std::ostream& errors);
// Restores into an empty receipt folder, then checks it as verify does.
int run_restore(const std::string& archive, std::ostream& out, std::ostream& errors);
int run_verify_archive(const std::string& archive, std::ostream& out, std::ostream& errors);
