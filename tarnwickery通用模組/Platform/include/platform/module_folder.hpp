#pragma once

#include <string>

namespace platform {

// The full path of the executable or shared library whose code holds `address`. Files
// shipped beside a module are found through it, wherever the program folder was
// copied and whatever the working folder is. Throws platform::Error when the system
// does not say.
std::string module_file_of(const void* address);

// The folder of that module, ending in "/".
std::string module_folder_of(const void* address);

}  // namespace platform
