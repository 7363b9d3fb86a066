#pragma once

#include <cstdint>

namespace platform {

// The most memory this process has held resident so far, in bytes (0 where the
// system does not say).
std::uint64_t peak_resident_bytes();

}  // namespace platform
