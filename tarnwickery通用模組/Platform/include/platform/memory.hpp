#pragma once

#include <cstdint>

namespace platform {

// The most memory this process has held resident so far, in bytes (0 where the
// system does not say).
std::uint64_t peak_resident_bytes();

// The most memory any child process that has ended and been waited for (or any of
// the processes it waited for) held resident, in bytes; 0 where the system does not say.
std::uint64_t peak_resident_bytes_of_children();

}  // namespace platform
