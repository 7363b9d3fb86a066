#pragma once

#include <stdexcept>
#include <string>

namespace receipt_worker {

// Something outside the program keeps it from working: a folder it cannot write to,
// no office to convert with. The message is one sentence that names the folder or
// tool and says what to do.
class EnvironmentFault : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Makes sure receipts can be written into `folder`: creates it again if it has gone,
// and tries a file in it. Throws EnvironmentFault naming `folder` and `root`, the
// folder the user controls, when it cannot be used.
void require_writable_folder(const std::string& folder, const std::string& root);

}  // namespace receipt_worker
