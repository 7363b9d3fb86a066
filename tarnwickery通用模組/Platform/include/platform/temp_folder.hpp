#pragma once

#include "platform/error.hpp"

#include <filesystem>
#include <string_view>

namespace platform {

// A new, empty folder with a unique name, for this user only (0700), removed with everything inside it when the
// object goes away. Creating it inside the folder of a final result keeps the last
// rename on one file system, so it is atomic.
class TempFolder {
public:
    // Throws platform::Error naming the parent folder when nothing can be created there.
    TempFolder(const std::filesystem::path& parent, std::string_view name_prefix);

    TempFolder(TempFolder&& other) noexcept;
    TempFolder& operator=(TempFolder&& other) noexcept;
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    ~TempFolder();

    const std::filesystem::path& path() const noexcept { return path_; }

private:
    void remove() noexcept;

    std::filesystem::path path_;
};

// Whether `name` is one a TempFolder made with `name_prefix` could have, so that
// clean-up after a killed process removes only its own folders, never a user's.
bool is_temp_folder_name(std::string_view name, std::string_view name_prefix);

}  // namespace platform
