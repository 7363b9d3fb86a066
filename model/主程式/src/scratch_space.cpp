#include "scratch_space.hpp"

#include <platform/root_folder.hpp>
#include <receipt_register/receipt_files.hpp>

#include <filesystem>
#include <string_view>

namespace receipt_worker {

using receipt_register::kScratchPrefix;

Scratch_Space::Scratch_Space(const std::string& receipt_folder)
    : folder_(platform::to_path(receipt_folder), kScratchPrefix) {}

std::string Scratch_Space::path() const { return platform::from_path(folder_.path()) + "/"; }

void remove_leftover_scratch(const std::string& receipt_folder) {
    for (const auto& entry : std::filesystem::directory_iterator(platform::to_path(receipt_folder))) {
        // A file of that name is not ours: only folders are made under it.
        if (entry.is_directory() && !entry.is_symlink() &&
            platform::is_temp_folder_name(platform::from_path(entry.path().filename()), kScratchPrefix))
            std::filesystem::remove_all(entry.path());
    }
}

}  // namespace receipt_worker
