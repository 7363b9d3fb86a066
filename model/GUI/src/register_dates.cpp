#include "register_dates.hpp"

#include <chrono>
#include <cstdio>
#include <vector>

namespace receipt_window {

namespace {

constexpr int kRocOffset = 1911;

// The runs of digits of `text`, or nothing when anything but digits and one kind of
// separator between them stands in it.
std::optional<std::vector<std::string>> digit_runs(std::string_view text) {
    std::vector<std::string> runs(1);
    char separator = 0;
    for (const char c : text) {
        if (c >= '0' && c <= '9') {
            runs.back() += c;
        } else if ((c == '/' || c == '-' || c == '.') && (separator == 0 || separator == c) && !runs.back().empty()) {
            separator = c;
            runs.emplace_back();
        } else {
            return std::nullopt;
        }
    }
    return runs;
}

}  // namespace

std::optional<std::string> typed_day(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    const auto runs = digit_runs(text);
    if (!runs || runs->size() != 3) return std::nullopt;
    for (const std::string& run : *runs)
        if (run.empty() || run.size() > 4) return std::nullopt;
    const std::string& year_text = (*runs)[0];
    int year = std::stoi(year_text);
    if (year_text.size() < 4) year += kRocOffset;
    if (year <= kRocOffset) return std::nullopt;
    const std::chrono::year_month_day day{std::chrono::year(year),
                                          std::chrono::month(static_cast<unsigned>(std::stoi((*runs)[1]))),
                                          std::chrono::day(static_cast<unsigned>(std::stoi((*runs)[2])))};
    if (!day.ok()) return std::nullopt;
    char written[40];
    std::snprintf(written, sizeof written, "%04d-%02u-%02u", year, static_cast<unsigned>(day.month()),
                  static_cast<unsigned>(day.day()));
    return written;
}

std::string roc_day(const std::string& day) {
    int year = 0, month = 0, date = 0;
    if (day.size() != 10 || std::sscanf(day.c_str(), "%4d-%2d-%2d", &year, &month, &date) != 3 || year <= kRocOffset)
        return day;
    char written[40];
    std::snprintf(written, sizeof written, "%d/%02d/%02d", year - kRocOffset, month, date);
    return written;
}

}  // namespace receipt_window
