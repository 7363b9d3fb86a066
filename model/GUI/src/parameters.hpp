#pragma once

#include <nlohmann/json.hpp>

namespace receipt_window {

// The receipt options the window collects: the two seals, whether the date is
// printed, and the receipt date.
class Parameters {
public:
    // The seals off, the date on, and today's date from the local clock.
    Parameters();

    nlohmann::ordered_json parameters;
};

}  // namespace receipt_window
