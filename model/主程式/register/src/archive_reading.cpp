#include "archive_manifest.hpp"
#include "backup_names.hpp"
#include "register_copy.hpp"
#include "temp_folder.hpp"
#include "zip_archive.hpp"

#include <receipt_register/backup.hpp>
#include <receipt_register/receipt_files.hpp>
#include <receipt_register/sha256.hpp>

#include <i18n/tr.hpp>
#include <platform/file_lock.hpp>
#include <platform/publish_file.hpp>
#include <platform/root_folder.hpp>

#include <filesystem>
#include <fstream>
#include <map>
#include <optional>

namespace receipt_register {

namespace {

namespace fs = std::filesystem;

// Far beyond any register or receipt; what is larger is no backup of this program.
constexpr std::size_t kLargestEntry = std::size_t{1} << 30;
constexpr std::size_t kLargestManifest = std::size_t{64} << 20;

Backup_Error damaged(const std::string& archive, const std::string& why) {
    return Backup_Error(i18n::tr("the archive {1} is damaged or no backup of this program: {2}", {archive, why}));
}

std::string entry_bytes(const zip_archive::Reader& reader, std::size_t index, std::size_t largest, const std::string& archive) {
    std::string bytes;
    reader.read(index, [&](const char* data, std::size_t size) {
        if (bytes.size() + size > largest) throw damaged(archive, i18n::tr("{1} is far larger than a backup holds", {reader.name(index)}));
        bytes.append(data, size);
    });
    return bytes;
}

void write_file(const std::string& path, const std::string& bytes) {
    std::ofstream out(platform::to_path(path), std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out.flush()) throw Backup_Error(i18n::tr("cannot write {1}", {path}));
}

// The file of the receipt folder an entry stands for: the register or a receipt PDF,
// never a path elsewhere.
std::optional<std::string> file_of(const std::string& entry) {
    const std::string prefix = backup_names::entry_of("");
    if (!entry.starts_with(prefix)) return std::nullopt;
    const std::string name = entry.substr(prefix.size());
    if (name.find_first_of("/\\") != std::string::npos) return std::nullopt;
    if (name != kRegisterFileName && !is_receipt_pdf(name)) return std::nullopt;
    return name;
}

// Reads every entry of `archive` and checks it against the manifest; writes the
// register into `into`, and the PDFs too when `keep_pdfs`.
Archive_Contents read_back(const std::string& archive, const std::string& into, bool keep_pdfs) {
    const zip_archive::Reader reader(archive);
    std::optional<std::size_t> manifest_index;
    for (std::size_t i = 0; i < reader.size(); ++i)
        if (reader.name(i) == kManifestName) manifest_index = i;
    if (!manifest_index) throw damaged(archive, i18n::tr("it has no manifest"));
    archive_manifest::Entries manifest =
        archive_manifest::read(entry_bytes(reader, *manifest_index, kLargestManifest, archive), archive);

    Archive_Contents contents;
    std::map<std::string, std::string> pdfs;  // file name → SHA-256
    for (std::size_t i = 0; i < reader.size(); ++i) {
        if (i == *manifest_index) continue;
        const std::string entry = reader.name(i);
        const auto name = file_of(entry);
        if (!name) throw damaged(archive, i18n::tr("it holds {1}, which no backup of this program holds", {entry}));
        const auto listed = manifest.find(entry);
        if (listed == manifest.end()) throw damaged(archive, i18n::tr("its manifest does not list {1}", {entry}));
        const std::string bytes = entry_bytes(reader, i, kLargestEntry, archive);
        if (sha256_of(bytes) != listed->second)
            throw damaged(archive, i18n::tr("{1} does not match its SHA-256 in the manifest", {entry}));
        manifest.erase(listed);
        if (*name == kRegisterFileName) {
            contents.has_register = true;
            write_file(into + *name, bytes);
            continue;
        }
        ++contents.pdfs;
        pdfs[*name] = sha256_of(bytes);
        if (keep_pdfs) write_file(into + *name, bytes);
    }
    if (!manifest.empty()) throw damaged(archive, i18n::tr("{1}, which its manifest lists, is missing", {manifest.begin()->first}));
    if (!contents.has_register && contents.pdfs == 0) throw damaged(archive, i18n::tr("it holds no receipts"));
    if (!contents.has_register) return contents;

    std::size_t registered_pdfs = 0;
    for (const auto& receipt : register_copy::receipts_of(into + std::string(kRegisterFileName), archive)) {
        const auto pdf = pdfs.find(receipt.file_name);
        registered_pdfs += pdf != pdfs.end();
        if (receipt.status == Receipt_Status::voided) ++contents.voided;
        if (receipt.status != Receipt_Status::issued) continue;
        ++contents.issued;
        if (pdf == pdfs.end()) contents.missing.push_back(receipt.file_name);
        else if (pdf->second != receipt.sha256) contents.changed.push_back(receipt.file_name);
    }
    contents.unregistered = contents.pdfs - registered_pdfs;
    return contents;
}

bool holds_receipts(const std::string& folder) {
    std::error_code ec;
    if (fs::exists(platform::to_path(folder + std::string(kRegisterFileName)), ec)) return true;
    for (fs::directory_iterator it(platform::to_path(folder), ec), end; !ec && it != end; it.increment(ec))
        if (is_receipt_pdf(platform::from_path(it->path().filename()))) return true;
    if (ec) throw Backup_Error(i18n::tr("cannot read the folder {1}: {2}", {folder, ec.message()}));
    return false;
}

}  // namespace

Archive_Contents check_archive(const std::string& archive) {
    const Temp_Folder scratch(platform::from_path(fs::temp_directory_path()) + "/", "tarnwickery-check-");
    return read_back(archive, scratch.path(), false);
}

Archive_Contents restore_backup(const std::string& archive, const std::string& folder) {
    std::error_code ec;
    fs::create_directories(platform::to_path(folder), ec);
    if (ec) throw Backup_Error(i18n::tr("cannot make the folder {1}: {2}", {folder, ec.message()}));
    // No receipt is issued here while the folder is being filled.
    const auto lock = platform::FileLock::acquire(platform::to_path(folder + std::string(kLockFileName)));
    if (holds_receipts(folder))
        throw Backup_Error(i18n::tr("{1} holds receipts already; a backup is restored only into an empty root folder", {folder}));
    // Beside the receipts, so that each file is moved into place, not copied.
    const Temp_Folder scratch(folder, ".收據還原-");
    const Archive_Contents contents = read_back(archive, scratch.path(), true);
    try {
        // The register last: it never names a receipt whose PDF is not in place yet.
        for (const auto& entry : fs::directory_iterator(platform::to_path(scratch.path()))) {
            const std::string name = platform::from_path(entry.path().filename());
            if (name != kRegisterFileName) platform::publish_file(entry.path(), platform::to_path(folder + name));
        }
        if (contents.has_register)
            platform::publish_file(platform::to_path(scratch.path() + std::string(kRegisterFileName)),
                                   platform::to_path(folder + std::string(kRegisterFileName)));
    } catch (const platform::Error& error) {
        throw Backup_Error(error.what());
    }
    return contents;
}

}  // namespace receipt_register
