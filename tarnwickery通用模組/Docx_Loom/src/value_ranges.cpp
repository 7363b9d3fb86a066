#include <docx_loom/value_ranges.hpp>

#include <i18n/tr.hpp>

#include <algorithm>
#include <array>
#include <cstdio>

namespace docx_loom {
namespace {

constexpr std::array<std::string_view, 12> kJustifications = {
    "start", "center", "end", "both", "mediumKashida", "distribute", "numTab",
    "highKashida", "lowKashida", "thaiDistribute", "left", "right"};

}  // namespace

std::string ValueRange::text() const {
    char low[32], high[32];
    std::snprintf(low, sizeof low, "%g", lowest);
    std::snprintf(high, sizeof high, "%g", highest);
    return i18n::tr("from {1} to {2}", {low, high});
}

bool is_justification(std::string_view value) {
    return std::find(kJustifications.begin(), kJustifications.end(), value) != kJustifications.end();
}

}  // namespace docx_loom
