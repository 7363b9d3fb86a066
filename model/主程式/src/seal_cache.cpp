#include "seal_cache.hpp"

#include <docx_loom/word_document.hpp>
#include <platform/private_files.hpp>
#include <platform/regular_file.hpp>
#include <platform/root_folder.hpp>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <string_view>

namespace receipt_worker {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kFolderPrefix = ".印章縮圖-";
// Inside each folder; held while its worker lives.
constexpr const char* kLockName = "使用中.lock";

int pixels_at_300_dpi(double inches) {
    // Less a hair, so that a box of a whole number of pixels is not rounded up by one.
    return std::max(1, static_cast<int>(std::ceil(inches * 300 - 1e-6)));
}

// The most pixels worth printing in `box`, each way.
Pixel_Limit pixels_at_300_dpi(Printed_Box box) { return {pixels_at_300_dpi(box.width), pixels_at_300_dpi(box.height)}; }

}  // namespace

Seal_Cache::Seal_Cache(std::string working_folder) : working_folder_(std::move(working_folder)) {}

fs::path Seal_Cache::folder() {
    if (!folder_) {
        platform::TempFolder made(platform::to_path(working_folder_), kFolderPrefix);
        // A clean-up that ran between making the folder and locking it may hold the lock
        // or have removed the folder already: the next seal tries a fresh one.
        auto lock = platform::FileLock::try_acquire(made.path() / platform::to_path(kLockName));
        if (!lock) throw platform::Error("the seal copies' folder " + platform::from_path(made.path()) + " was taken");
        folder_.emplace(Own_Folder{std::move(made), std::move(*lock)});
    }
    return folder_->folder.path();
}

std::string Seal_Cache::write_copy(int slot, const fs::path& source, const std::string& png) {
    const fs::path slot_folder = folder() / std::to_string(slot);
    std::error_code made;
    platform::create_private_folders(slot_folder, made);
    if (made) throw platform::Error("cannot create the folder " + platform::from_path(slot_folder) + ": " + made.message());
    // The source's own name, which the document keeps as the picture's name.
    const fs::path copy = slot_folder / source.filename();
    std::ofstream out(copy, std::ios::binary | std::ios::trunc);
    out.write(png.data(), static_cast<std::streamsize>(png.size()));
    out.close();
    if (!out) {
        std::error_code ignored;
        fs::remove(copy, ignored);
        // Perhaps the folder itself went: the next seal makes another.
        folder_.reset();
        throw platform::Error("cannot write the scaled seal " + platform::from_path(copy));
    }
    return platform::from_path(copy);
}

std::string Seal_Cache::picture_for(const std::string& source, Printed_Box box) {
    const fs::path path = platform::to_path(source);
    std::error_code ec;
    const std::uintmax_t size = fs::file_size(path, ec);
    if (ec) return source;
    const fs::file_time_type modified = fs::last_write_time(path, ec);
    if (ec) return source;
    const Pixel_Limit limit = pixels_at_300_dpi(box);
    const Key key{source, limit.width, limit.height};

    auto known = copies_.find(key);
    if (known != copies_.end() && known->second.source_size == size && known->second.source_modified == modified &&
        (known->second.picture == source || fs::exists(platform::to_path(known->second.picture), ec)))
        return known->second.picture;
    const int slot = known != copies_.end() ? known->second.slot : next_slot_++;
    try {
        const std::string bytes = platform::read_regular_file(path, docx_loom::kMaxPictureBytes);
        const auto scaled = downscaled_png(bytes, limit);
        const std::string picture = scaled ? write_copy(slot, path, *scaled) : source;
        copies_.insert_or_assign(key, Copy{size, modified, picture, slot});
        return picture;
    } catch (const std::exception&) {
        // Not remembered: a file being rewritten, or a working folder that comes back, gets another try.
        return source;
    }
}

void remove_leftover_seal_copies(const std::string& working_folder) {
    std::error_code ec;
    for (fs::directory_iterator entry(platform::to_path(working_folder), ec), end; !ec && entry != end;
         entry.increment(ec)) {
        if (!entry->is_directory(ec) || entry->is_symlink(ec) ||
            !platform::is_temp_folder_name(platform::from_path(entry->path().filename()), kFolderPrefix))
            continue;
        try {
            // Taken only when no worker holds it; dropped again before the removal, which
            // a lock still open would stop on Windows. No worker reuses the name.
            if (!platform::FileLock::try_acquire(entry->path() / platform::to_path(kLockName))) continue;
        } catch (const platform::Error&) {
            continue;
        }
        std::error_code ignored;
        fs::remove_all(entry->path(), ignored);
    }
}

}  // namespace receipt_worker
