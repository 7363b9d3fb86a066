#pragma once

#include <optional>
#include <string>

namespace receipt_worker {

// The picture to print for one seal, or why there is none.
struct Seal {
    std::optional<std::string> picture;
    std::optional<std::string> warning;  // when the seal was asked for and cannot be printed
};

// The first picture the engine can print among the files in `folder` whose name up to
// its first "." is `stem`, tried in a fixed order: .png, .jpg, .jpeg (in any case),
// then any other, each group by name. A folder that cannot be listed, no such file,
// or no file that is a readable picture gives a warning instead, naming each file
// tried: the receipt is still worth writing, and the owner may stamp it by hand.
Seal find_seal(const std::string& folder, const std::string& stem);

}  // namespace receipt_worker
