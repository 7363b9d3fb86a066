#include "platform/error.hpp"

#include <system_error>

namespace platform {

std::string system_message(int code) {
    // system_category speaks errno on POSIX and GetLastError codes on Windows.
    return std::system_category().message(code);
}

}  // namespace platform
