#include "seal_check.hpp"

#include <platform/root_folder.hpp>

#include <filesystem>

namespace receipt_window {

bool seal_picture_present(const std::string& folder, const std::string& stem) {
    std::error_code error;
    for (std::filesystem::directory_iterator file(platform::to_path(folder), error), end; !error && file != end;
         file.increment(error)) {
        const std::string name = platform::from_path(file->path().filename());
        if (name.substr(0, name.find('.')) == stem && file->is_regular_file(error)) return true;
    }
    return false;
}

}  // namespace receipt_window
