#pragma once

#include <stdexcept>

namespace Widget_Kit {

// What the kit throws: a widget or picture it was asked for is not there or cannot be
// read. The message names it.
class Error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace Widget_Kit
