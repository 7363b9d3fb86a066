#pragma once

#include <string>

namespace receipt_window {

// Whether `folder` holds a file whose name up to its first "." is `stem`, the files the
// worker looks among for a seal's picture. Whether the picture reads is the worker's
// to find out; a folder that cannot be listed holds none.
bool seal_picture_present(const std::string& folder, const std::string& stem);

// The names, sizes and times of the files in `folder`, in the order they are listed: it
// changes when a seal's picture is put there, replaced or taken away.
std::string seal_folder_state(const std::string& folder);

}  // namespace receipt_window
