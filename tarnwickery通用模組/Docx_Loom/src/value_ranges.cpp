#include <docx_loom/value_ranges.hpp>

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
    char text[64];
    std::snprintf(text, sizeof text, "from %g to %g", lowest, highest);
    return text;
}

bool is_justification(std::string_view value) {
    return std::find(kJustifications.begin(), kJustifications.end(), value) != kJustifications.end();
}

}  // namespace docx_loom
