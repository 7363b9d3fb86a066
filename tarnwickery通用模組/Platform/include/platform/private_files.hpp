#pragma once

#include "platform/error.hpp"

#include <filesystem>

namespace platform {

// What the program keeps (receipts, their register, its lock, scratch files) is for the
// user who runs it alone: folders it makes are 0700 and files 0600, whatever the umask.
// On Windows the folder's inherited access rules apply and these only create.

// Creates the folder `folder` (its parent must exist) for this user only. Returns false,
// changing nothing, when something of that name exists already; sets `error` and
// returns false when it cannot be made.
bool create_private_folder(const std::filesystem::path& folder, std::error_code& error);

// create_private_folder for `folder` and each missing folder above it; folders that
// exist keep their modes. Sets `error` when one cannot be made.
void create_private_folders(const std::filesystem::path& folder, std::error_code& error);

// Creates the empty file `file` for this user only when it does not exist; an existing
// file is left as it is. Throws platform::Error naming the file when it cannot be made.
void create_private_file(const std::filesystem::path& file);

// Makes the open file `descriptor` this user's only when this user owns it; one owned by
// another user is left as it is. A POSIX descriptor; nothing on Windows.
void make_private(int descriptor) noexcept;

}  // namespace platform
