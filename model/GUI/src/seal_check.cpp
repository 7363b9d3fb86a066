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

std::string seal_folder_state(const std::string& folder) {
    std::string state;
    std::error_code error;
    for (std::filesystem::directory_iterator file(platform::to_path(folder), error), end; !error && file != end;
         file.increment(error)) {
        std::error_code unknown;
        const auto size = file->file_size(unknown);
        const auto time = file->last_write_time(unknown).time_since_epoch().count();
        state += platform::from_path(file->path().filename()) + '\n' + std::to_string(size) + '\n' +
                 std::to_string(time) + '\n';
    }
    return state;
}

}  // namespace receipt_window
