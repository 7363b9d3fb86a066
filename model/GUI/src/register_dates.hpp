#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace receipt_window {

// The day a person typed, as YYYY-MM-DD: a Gregorian date (2026-11-01, 2026/11/01) or a
// date of the Republic-of-China calendar (115/11/01, 115-11-1); a year of four digits is
// Gregorian, a shorter one is counted from 1912. Nothing when the text is no real day.
std::optional<std::string> typed_day(std::string_view text);

// A day kept as YYYY-MM-DD in the Republic-of-China form shown on receipts, 115/11/01;
// the text itself when it is not such a day.
std::string roc_day(const std::string& day);

}  // namespace receipt_window
