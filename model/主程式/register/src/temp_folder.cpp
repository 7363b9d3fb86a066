#include "temp_folder.hpp"

#include <receipt_register/backup.hpp>

#include <i18n/tr.hpp>
#include <platform/root_folder.hpp>

#include <filesystem>
#include <random>

namespace receipt_register {

Temp_Folder::Temp_Folder(const std::string& parent, const std::string& prefix) {
    std::random_device seed;
    std::mt19937_64 random(seed());
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string candidate = parent + prefix + std::to_string(random() % 1'000'000'000) + "/";
        std::error_code ec;
        // create_directory is false for a folder that exists: someone else's.
        if (std::filesystem::create_directory(platform::to_path(candidate), ec)) {
            path_ = candidate;
            return;
        }
        if (ec) throw Backup_Error(i18n::tr("cannot make a working folder in {1}: {2}", {parent, ec.message()}));
    }
    throw Backup_Error(i18n::tr("cannot make a working folder in {1}: {2}", {parent, i18n::tr("every name tried is taken")}));
}

Temp_Folder::~Temp_Folder() {
    std::error_code ec;
    std::filesystem::remove_all(platform::to_path(path_), ec);
}

}  // namespace receipt_register
