#pragma once

namespace platform {

struct LocalDate {
    int year = 0;
    int month = 0;
    int day = 0;
};

// Today's date on the local clock.
LocalDate local_today();

}  // namespace platform
