#include "scratch_space.hpp"

#include <platform/root_folder.hpp>

#include <filesystem>
#include <string_view>

namespace receipt_worker {

namespace {

constexpr std::string_view kScratchPrefix = ".收據暫存-";
constexpr std::size_t kScratchSuffixLength = 12;  // what platform::TempFolder appends

bool is_scratch_name(std::string_view name) {
    if (!name.starts_with(kScratchPrefix) || name.size() != kScratchPrefix.size() + kScratchSuffixLength) return false;
    for (const char c : name.substr(kScratchPrefix.size()))
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z'))) return false;
    return true;
}

}  // namespace

Scratch_Space::Scratch_Space(const std::string& receipt_folder)
    : folder_(platform::to_path(receipt_folder), kScratchPrefix) {}

std::string Scratch_Space::path() const { return platform::from_path(folder_.path()) + "/"; }

void remove_leftover_scratch(const std::string& receipt_folder) {
    for (const auto& entry : std::filesystem::directory_iterator(platform::to_path(receipt_folder))) {
        // A file of that name is not ours: only folders are made under it.
        if (entry.is_directory() && !entry.is_symlink() && is_scratch_name(platform::from_path(entry.path().filename())))
            std::filesystem::remove_all(entry.path());
    }
}

}  // namespace receipt_worker
