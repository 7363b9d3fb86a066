#include "backup_commands.hpp"

#include "register_commands.hpp"

#include <i18n/tr.hpp>
#include <platform/root_folder.hpp>
#include <receipt_register/backup.hpp>
#include <receipt_register/receipt_files.hpp>

#include <filesystem>

namespace {

using receipt_register::Archive_Contents;

constexpr int kBadArguments = 2;

int refuse(std::ostream& errors, const std::string& message) {
    errors << "tarnwickery-receipt: " << message << '\n';
    return 1;
}

// An ARCHIVE that names no file is a mistake in the arguments, as a missing --batch FILE is.
std::optional<int> not_a_file(const std::string& archive, std::ostream& errors) {
    std::error_code ec;
    const auto path = platform::to_path(archive);
    if (std::filesystem::is_regular_file(path, ec)) return std::nullopt;
    errors << "tarnwickery-receipt: "
           << (std::filesystem::exists(path, ec) ? i18n::tr("{1} is not a file; give a backup archive", {archive})
                                                 : i18n::tr("there is no file {1}", {archive}))
           << '\n';
    return kBadArguments;
}

std::string counts(const Archive_Contents& contents) {
    if (!contents.has_register) return i18n::tr("{1} receipt PDFs, made before the register", {std::to_string(contents.pdfs)});
    return i18n::tr("{1} receipt PDFs, {2} of them not in the register; the register holds {3} issued and {4} void receipts",
                    {std::to_string(contents.pdfs), std::to_string(contents.unregistered), std::to_string(contents.issued),
                     std::to_string(contents.voided)});
}

// Issued receipts whose PDF the archive lacks or holds changed, one a line, as verify
// names them in the folder.
void name_faults(const Archive_Contents& contents, std::ostream& out) {
    for (const auto& name : contents.missing) out << i18n::tr("missing: {1}", {name}) << '\n';
    for (const auto& name : contents.changed) out << i18n::tr("changed: {1}", {name}) << '\n';
}

}  // namespace

Backup_Commands add_backup_commands(CLI::App& app, Backup_Options& options) {
    CLI::App* backup = app.add_subcommand("backup", i18n::tr("write the register and every receipt PDF into one checked archive"));
    backup->add_option("DEST", options.destination, i18n::tr("a folder to write a dated archive into, or the new archive's file name"))
        ->required();
    CLI::App* restore = app.add_subcommand("restore", i18n::tr("fill an empty root folder from a backup archive, then verify it"));
    restore->add_option("ARCHIVE", options.restore_archive, i18n::tr("the backup archive"))->required();
    return {backup, restore};
}

void add_archive_option(CLI::App& verify, Backup_Options& options) {
    verify.add_option("--archive", options.archive, i18n::tr("check a backup archive instead of the receipt folder"))->type_name("FILE");
}

int run_backup(const std::string& destination, std::ostream& out, std::ostream& errors) {
    const auto written = receipt_register::write_backup(receipt_register::receipt_folder(), destination);
    // The archive holds the folder as it was; faults of the folder are named, not hidden.
    name_faults(written.contents, out);
    out << i18n::tr("backed up to {1} and checked: {2}", {written.archive, counts(written.contents)}) << '\n';
    const std::size_t faults = written.contents.missing.size() + written.contents.changed.size();
    if (faults > 0)
        errors << "tarnwickery-receipt: "
               << i18n::tr("warning: {1} issued receipts were missing or changed in the folder backed up; verify names them",
                           {std::to_string(faults)})
               << '\n';
    return 0;
}

int run_restore(const std::string& archive, std::ostream& out, std::ostream& errors) {
    if (const auto status = not_a_file(archive, errors)) return *status;
    const std::string folder = receipt_register::receipt_folder();
    try {
        const auto contents = receipt_register::restore_backup(archive, folder);
        out << i18n::tr("restored {1} into {2}: {3}", {archive, folder, counts(contents)}) << '\n';
    } catch (const receipt_register::Backup_Error& error) {
        return refuse(errors, error.what());
    }
    return verify_receipts(out, errors);
}

int run_verify_archive(const std::string& archive, std::ostream& out, std::ostream& errors) {
    if (const auto status = not_a_file(archive, errors)) return *status;
    Archive_Contents contents;
    try {
        contents = receipt_register::check_archive(archive);
    } catch (const receipt_register::Backup_Error& error) {
        return refuse(errors, error.what());
    }
    name_faults(contents, out);
    out << i18n::tr("{1} matches its manifest: {2}", {archive, counts(contents)}) << '\n';
    const std::size_t faults = contents.missing.size() + contents.changed.size();
    if (faults == 0) return 0;
    return refuse(errors, i18n::tr("{1} issued receipts in the archive are missing or changed", {std::to_string(faults)}));
}
