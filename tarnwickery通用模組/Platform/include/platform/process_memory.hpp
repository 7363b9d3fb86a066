#pragma once

#include <cstdint>

namespace platform {

// The memory another process of this user holds resident right now, in bytes; 0 when
// the process is gone or the system does not say.
std::uint64_t resident_bytes(int process_id);

}  // namespace platform
