#pragma once

#include <stdexcept>
#include <string>

namespace platform {

// Everything this layer throws derives from Error; each message names the file or
// program the failed operation was about.
class Error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A child process could not be started, fed or read.
class ProcessError : public Error {
public:
    using Error::Error;
};

// The operating system's text for an errno value (POSIX) or GetLastError value (Windows).
std::string system_message(int code);

}  // namespace platform
