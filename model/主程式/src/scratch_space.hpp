#pragma once

#include <platform/temp_folder.hpp>

#include <string>

namespace receipt_worker {

// A folder inside the receipt folder where one receipt is filled and converted before
// its PDF takes its final name; on the same file system, so that last move is atomic.
// It goes with everything in it when the object goes. Its name, ".收據暫存-" and twelve
// lower-case letters or digits, lets a later start tell what a killed pass left from
// anything a user keeps in the folder.
class Scratch_Space {
public:
    // Throws platform::Error when no folder can be made in `receipt_folder`.
    explicit Scratch_Space(const std::string& receipt_folder);

    // Ends in "/".
    std::string path() const;

private:
    platform::TempFolder folder_;
};

// Removes every scratch folder in `receipt_folder`. Only call it while no pass can be
// running, that is with the receipt folder's lock held.
void remove_leftover_scratch(const std::string& receipt_folder);

}  // namespace receipt_worker
