#include "writable_folder.hpp"

#include <i18n/tr.hpp>
#include <platform/private_files.hpp>
#include <platform/root_folder.hpp>

#include <filesystem>
#include <fstream>
#include <random>

namespace receipt_worker {

void require_writable_folder(const std::string& folder, const std::string& root) {
    namespace fs = std::filesystem;
    const auto fault = [&](const std::string& why) {
        return EnvironmentFault(i18n::tr("cannot write receipts into {1} ({2}); make {3} a folder that this user may write to",
                                         {folder, why, root}));
    };
    const fs::path path = platform::to_path(folder);
    std::error_code ec;
    platform::create_private_folders(path, ec);  // a folder removed while the program runs comes back
    std::error_code kind;
    if (!fs::is_directory(path, kind)) throw fault(ec ? ec.message() : kind ? kind.message() : i18n::tr("it is not a folder"));

    // Permissions, ACLs and read-only mounts all show in whether a file can be made.
    std::random_device random;
    const fs::path probe = path / platform::to_path(".write-test-" + std::to_string(random()) + ".tmp");
    const bool created = std::ofstream(probe, std::ios::binary).is_open();
    fs::remove(probe, ec);
    if (!created) throw fault(i18n::tr("this user may not create files in it"));
}

}  // namespace receipt_worker
