#include "parameters.hpp"

#include <platform/clock.hpp>

namespace receipt_window {

namespace {

void set_date(nlohmann::ordered_json& parameters, int year, int month, int day) {
    parameters["年"] = year;
    parameters["月"] = month;
    parameters["日"] = day;
}

}  // namespace

Parameters::Parameters() {
    parameters["顯示免用統一發票章"] = false;
    parameters["顯示負責人章"] = false;
    parameters["顯示日期"] = true;
    follow_today();
}

void Parameters::pick_date(int year, int month, int day) {
    date_picked_ = true;
    set_date(parameters, year, month, day);
}

void Parameters::follow_today() {
    if (date_picked_) return;
    const platform::LocalDate today = platform::local_today();
    set_date(parameters, today.year, today.month, today.day);
}

}  // namespace receipt_window
