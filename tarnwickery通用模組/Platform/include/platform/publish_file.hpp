#pragma once

#include "platform/error.hpp"

#include <filesystem>

namespace platform {

// Puts a finished file under its final name for good: makes `scratch` this user's only
// (see make_private), flushes it to disk, renames
// it to `final_path` without ever replacing a file that is already there, and flushes the
// folder so that the new name survives a power cut. Both paths must lie on one file
// system. Throws platform::Error naming the files when the flush or the rename fails;
// the scratch file is then still where it was, and a file already at `final_path` is
// left untouched.
void publish_file(const std::filesystem::path& scratch, const std::filesystem::path& final_path);

}  // namespace platform
