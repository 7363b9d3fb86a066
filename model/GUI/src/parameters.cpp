#include "parameters.hpp"

#include <platform/clock.hpp>

namespace receipt_window {

Parameters::Parameters() {
    const platform::LocalDate today = platform::local_today();
    parameters["顯示免用統一發票章"] = false;
    parameters["顯示負責人章"] = false;
    parameters["顯示日期"] = true;
    parameters["年"] = today.year;
    parameters["月"] = today.month;
    parameters["日"] = today.day;
}

}  // namespace receipt_window
