#pragma once

#include "downscaled_png.hpp"

#include <platform/file_lock.hpp>
#include <platform/temp_folder.hpp>

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <tuple>

namespace receipt_worker {

// The box a seal is printed in on the receipt, in inches.
struct Printed_Box {
    double width;
    double height;
};

// Seal pictures scaled once to the size they are printed at, so that the converter
// does not decode and compress a large seal again on every receipt. The copies live
// in a folder of this object's own in the working folder, removed with the object and
// locked while it lives, so that a later start can tell a killed worker's folder from
// a running one's.
class Seal_Cache {
public:
    // Touches nothing on disk until a seal needs scaling.
    explicit Seal_Cache(std::string working_folder);

    // The picture to print for the seal `source` in `box`: for a PNG with more pixels
    // than the box holds at 300 dpi, a copy scaled down to fit, made once and used
    // until the source's size or modification time changes. Anything else (a JPEG, a
    // small PNG) gives `source`, as does a PNG that cannot be decoded or a copy that
    // cannot be written: the seal then prints as it always did. Never throws.
    std::string picture_for(const std::string& source, Printed_Box box);

private:
    struct Copy {
        std::uintmax_t source_size;
        std::filesystem::file_time_type source_modified;
        std::string picture;  // the scaled copy, or the source itself
        int slot;             // names the copy's folder, one for each source and box
    };
    struct Own_Folder {
        platform::TempFolder folder;
        platform::FileLock lock;
    };
    using Key = std::tuple<std::string, int, int>;  // the source and its pixel limit

    std::filesystem::path folder();
    std::string write_copy(int slot, const std::filesystem::path& source, const std::string& png);

    std::string working_folder_;
    std::optional<Own_Folder> folder_;
    std::map<Key, Copy> copies_;
    int next_slot_ = 0;
};

// Removes the folders that Seal_Cache objects of workers no longer running left in
// `working_folder`. Leaves everything else alone; never throws.
void remove_leftover_seal_copies(const std::string& working_folder);

}  // namespace receipt_worker
