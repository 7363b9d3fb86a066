#include "full_disk.hpp"

#include <i18n/tr.hpp>
#include <platform/root_folder.hpp>

#include <filesystem>
#include <system_error>

namespace receipt_worker {

std::optional<std::string> full_disk_reason(const std::vector<std::string>& folders, std::uintmax_t least_free) {
    for (const std::string& folder : folders) {
        std::error_code ec;
        const std::filesystem::space_info space = std::filesystem::space(platform::to_path(folder), ec);
        if (!ec && space.available < least_free)
            return i18n::tr("the disk holding {1} is full; free some space on it, then make the receipt again", {folder});
    }
    return std::nullopt;
}

}  // namespace receipt_worker
