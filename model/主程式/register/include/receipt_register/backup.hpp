#pragma once

#include <cstddef>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// Backups of a receipt folder: one zip archive holding a consistent copy of the register,
// every receipt PDF and a manifest of their SHA-256, which `sha256sum -c` reads as well.
namespace receipt_register {

// A backup could not be written, or an archive is damaged, is no backup of this program,
// or may not be restored where it was asked to be. The message names the file and why.
class Backup_Error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The manifest's name in the archive; every other entry lies under the receipt folder's
// own name, as it lies under the root folder.
inline constexpr std::string_view kManifestName = "manifest.sha256";

// What an archive holds, found by reading every entry of it back.
struct Archive_Contents {
    std::size_t pdfs = 0;
    bool has_register = false;
    std::size_t issued = 0, voided = 0;  // receipts of the archived register
    // File names of issued receipts whose PDF the archive lacks, or holds with another
    // SHA-256 than the register recorded: the folder backed up had them so.
    std::vector<std::string> missing, changed;
    // PDFs the archived register does not name: receipts made before it existed.
    std::size_t unregistered = 0;
};

struct Written_Backup {
    std::string archive;  // its path
    Archive_Contents contents;
};

// Called on the writing thread after each file put into the archive: files done, of all.
using Backup_Progress = std::function<void(std::size_t done, std::size_t total)>;

// Writes a backup of the receipt folder `folder` (ending in "/") to `destination`: into
// a new archive named by the time when it is an existing folder, else to that file,
// which must not exist yet. The register is copied through SQLite's backup interface
// while the lock the worker numbers receipts under is held, together with the list of
// receipt PDFs, so that no receipt is half in it. The archive is written under a
// temporary name beside its final one, read back and checked, and only then renamed.
Written_Backup write_backup(const std::string& folder, const std::string& destination, const Backup_Progress& progress = {});

// Reads every entry of `archive` back and checks it against the manifest, and the
// archived register against the archived PDFs. Throws Backup_Error for an archive that
// is damaged, truncated or no backup of this program.
Archive_Contents check_archive(const std::string& archive);

// Fills the receipt folder `folder` from `archive` after checking all of it as
// check_archive does. Refuses, before writing anything, a folder that holds a register
// or a receipt PDF already.
Archive_Contents restore_backup(const std::string& archive, const std::string& folder);

}  // namespace receipt_register
