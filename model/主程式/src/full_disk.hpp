#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace receipt_worker {

// Less room than this on a disk, and a receipt cannot be saved and converted on it.
inline constexpr std::uintmax_t kFullDiskBytes = std::uintmax_t{16} << 20;

// When a save or a conversion fails, a full disk is the reason a person can act on,
// whatever the failing layer said (the office speaks of its own internals). Returns the
// sentence for the first of `folders` whose disk has less than `least_free` bytes
// available, or nullopt when each has room or cannot be asked.
std::optional<std::string> full_disk_reason(const std::vector<std::string>& folders,
                                             std::uintmax_t least_free = kFullDiskBytes);

}  // namespace receipt_worker
