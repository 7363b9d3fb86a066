#pragma once

#include <string>

namespace receipt_window {

// Whether `folder` holds a file whose name up to its first "." is `stem`, the files the
// worker looks among for a seal's picture. Whether the picture reads is the worker's
// to find out; a folder that cannot be listed holds none.
bool seal_picture_present(const std::string& folder, const std::string& stem);

}  // namespace receipt_window
