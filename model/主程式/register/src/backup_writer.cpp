#include "archive_manifest.hpp"
#include "backup_names.hpp"
#include "register_copy.hpp"
#include "temp_folder.hpp"
#include "zip_archive.hpp"

#include <receipt_register/backup.hpp>
#include <receipt_register/receipt_files.hpp>
#include <receipt_register/sha256.hpp>

#include <i18n/tr.hpp>
#include <platform/clock.hpp>
#include <platform/file_lock.hpp>
#include <platform/publish_file.hpp>
#include <platform/root_folder.hpp>

#include <algorithm>
#include <filesystem>
#include <vector>

namespace receipt_register {

namespace {

namespace fs = std::filesystem;

bool taken(const std::string& path) {
    std::error_code ec;
    return fs::exists(platform::to_path(path), ec) || fs::exists(platform::to_path(path + ".partial"), ec);
}

// "收據備份-20261208-093000.zip" in `folder`, "-2" and on added for a second backup within
// the same second: sorts by time, and every system can name it.
std::string dated_path(const std::string& folder) {
    std::string stamp = platform::local_time_text();  // "YYYY-MM-DD hh:mm:ss"
    std::erase_if(stamp, [](char c) { return c == '-' || c == ':'; });
    std::replace(stamp.begin(), stamp.end(), ' ', '-');
    const std::string stem = folder + (folder.ends_with('/') ? "" : "/") + "收據備份-" + stamp;
    std::string path = stem + ".zip";
    for (int second = 2; taken(path); ++second) path = stem + "-" + std::to_string(second) + ".zip";
    return path;
}

std::string archive_path(const std::string& destination) {
    std::error_code ec;
    if (fs::is_directory(platform::to_path(destination), ec)) return dated_path(destination);
    if (fs::exists(platform::to_path(destination), ec))
        throw Backup_Error(i18n::tr("{1} exists already; a backup never replaces a file", {destination}));
    return destination;
}

// What the lock let through: the register's copy and the receipt PDFs beside it then.
struct Snapshot {
    bool has_register = false;
    std::vector<std::string> pdfs;
};

Snapshot take_snapshot(const std::string& folder, const std::string& register_copy) {
    std::error_code ec;
    if (!fs::is_directory(platform::to_path(folder), ec))
        throw Backup_Error(i18n::tr("there is nothing to back up: {1} does not exist", {folder}));
    const auto lock = platform::FileLock::acquire(platform::to_path(folder + std::string(kLockFileName)));
    Snapshot snapshot;
    const std::string book = folder + std::string(kRegisterFileName);
    snapshot.has_register = fs::exists(platform::to_path(book), ec);
    if (snapshot.has_register) register_copy::make(book, register_copy);
    for (fs::directory_iterator it(platform::to_path(folder), ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = platform::from_path(it->path().filename());
        std::error_code kind;
        if (is_receipt_pdf(name) && it->is_regular_file(kind)) snapshot.pdfs.push_back(name);
    }
    if (ec) throw Backup_Error(i18n::tr("cannot read the folder {1}: {2}", {folder, ec.message()}));
    if (!snapshot.has_register && snapshot.pdfs.empty())
        throw Backup_Error(i18n::tr("there is nothing to back up: {1} holds no receipts", {folder}));
    std::sort(snapshot.pdfs.begin(), snapshot.pdfs.end());
    return snapshot;
}

void write_archive(const std::string& path, const std::string& folder, const std::string& register_copy,
                   const Snapshot& snapshot, const Backup_Progress& progress) {
    const std::size_t total = snapshot.pdfs.size() + (snapshot.has_register ? 1 : 0);
    std::size_t done = 0;
    const auto step = [&] {
        if (progress) progress(++done, total);
    };
    archive_manifest::Entries manifest;
    zip_archive::Writer archive(path);
    if (snapshot.has_register) {
        const std::string entry = backup_names::entry_of(kRegisterFileName);
        manifest[entry] = sha256_of_file(platform::to_path(register_copy));
        archive.add_file(entry, register_copy, true);
        step();
    }
    for (const auto& name : snapshot.pdfs) {
        // A PDF changed after this and before the archive reads it is caught by the check.
        manifest[backup_names::entry_of(name)] = sha256_of_file(platform::to_path(folder + name));
        archive.add_file(backup_names::entry_of(name), folder + name, false);
        step();
    }
    archive.add_bytes(std::string(kManifestName), archive_manifest::text_of(manifest));
    archive.close();
}

}  // namespace

Written_Backup write_backup(const std::string& folder, const std::string& destination, const Backup_Progress& progress) {
    const std::string final_path = archive_path(destination);
    const std::string partial = final_path + ".partial";
    std::error_code ec;
    if (fs::exists(platform::to_path(partial), ec))
        throw Backup_Error(i18n::tr("{1} exists: another backup is being written there, or one was cut short; remove it and try again",
                                    {partial}));
    const Temp_Folder scratch(platform::from_path(fs::temp_directory_path()) + "/", "tarnwickery-backup-");
    const std::string register_copy = scratch.path() + std::string(kRegisterFileName);
    const Snapshot snapshot = take_snapshot(folder, register_copy);
    try {
        write_archive(partial, folder, register_copy, snapshot, progress);
        Written_Backup written{final_path, check_archive(partial)};
        platform::publish_file(platform::to_path(partial), platform::to_path(final_path));
        return written;
    } catch (const platform::Error& error) {
        fs::remove(platform::to_path(partial), ec);
        throw Backup_Error(error.what());
    } catch (...) {
        fs::remove(platform::to_path(partial), ec);
        throw;
    }
}

}  // namespace receipt_register
