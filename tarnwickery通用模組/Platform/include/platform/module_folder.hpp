#pragma once

#include "platform/error.hpp"

#include <string>

namespace platform {

// The folder of the executable or shared library that holds this code, in UTF-8 and
// ending in "/". Programs find the files shipped beside them through it, wherever the
// program folder was copied. Throws platform::Error when the system does not say.
std::string this_module_folder();

}  // namespace platform
