#pragma once

#include <nlohmann/json.hpp>

namespace receipt_window {

// The receipt options the window collects: the two seals, whether the date is
// printed, and the receipt date.
class Parameters {
public:
    // The seals off, the date on, and today's date from the local clock.
    Parameters();

    // The receipt date the user picked; it stays as picked.
    void pick_date(int year, int month, int day);
    // Until a date is picked, the receipt date is today's: a window left open past
    // midnight issues receipts of the new day.
    void follow_today();

    nlohmann::ordered_json parameters;

private:
    bool date_picked_ = false;
};

}  // namespace receipt_window
