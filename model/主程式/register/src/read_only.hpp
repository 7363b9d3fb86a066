#pragma once

#include "sqlite.hpp"

#include <memory>
#include <string>

namespace receipt_register {

// Opens `path` for reading only, and changes nothing, not even to read it: a backup on
// read-only media or a user who may only read can still list and verify. Where the WAL's
// shared memory cannot be made (a folder this user may not write to) the file is read as
// it stands, immutable. Throws Register_Error naming the file when it is no register this
// program reads.
std::unique_ptr<sqlite::Connection> connect_read_only(const std::string& path);

}  // namespace receipt_register
