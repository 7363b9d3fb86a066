#pragma once

#include <string>

namespace platform {

struct LocalDate {
    int year = 0;
    int month = 0;
    int day = 0;
};

// Today's date on the local clock.
LocalDate local_today();

// The local time now as "YYYY-MM-DD hh:mm:ss", for log lines.
std::string local_time_text();

}  // namespace platform
