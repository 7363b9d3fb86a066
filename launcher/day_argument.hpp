#pragma once

#include <optional>
#include <string>
#include <string_view>

// A day given on the command line as owners and bookkeepers write it: 2026-11-01,
// 2026/11/01, or in the Republic-of-China form 115/11/01 (a year of one to three digits
// counts from 1911); a month or day may have one digit. Returns the day as YYYY-MM-DD,
// or nullopt when `text` is in none of these forms or names no real day from 1912-01-01.
std::optional<std::string> day_of_argument(std::string_view text);
