#pragma once

#include <stdexcept>

namespace receipt_register {

// The register could not be opened, read or written, or refused a change. The message
// names the register's file and says what failed.
class Register_Error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace receipt_register
