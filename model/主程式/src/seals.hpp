#pragma once

#include <optional>
#include <string>

namespace receipt_worker {

// The picture to print for one seal, or why there is none.
struct Seal {
    std::optional<std::string> picture;
    std::optional<std::string> warning;  // when the seal was asked for and cannot be printed
};

// The picture in `folder` whose name up to its first "." is `stem`, first in listing
// order, when it is a picture the engine can print. A folder that cannot be listed,
// no such file, or a file that is not a readable picture gives a warning instead:
// the receipt is still worth writing, and the owner may stamp it by hand.
Seal find_seal(const std::string& folder, const std::string& stem);

}  // namespace receipt_worker
