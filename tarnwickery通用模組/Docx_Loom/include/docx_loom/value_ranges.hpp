#pragma once

#include <string>
#include <string_view>

namespace docx_loom {

// The values a plan entry may give, in the unit the plan gives them in.
struct ValueRange {
    double lowest;
    double highest;

    // False for NaN.
    bool holds(double value) const { return value >= lowest && value <= highest; }
    // "from 0.5 to 3276"
    std::string text() const;
};

// What WordprocessingML can hold: font sizes are whole half-points up to 3276 pt
// (w:sz); left indents and exact line spacing are twentieths of a point within the
// 22 inches Word allows either way (w:ind, w:spacing).
inline constexpr ValueRange kFontSizePoints{0.5, 3276};
inline constexpr ValueRange kLeftIndentPoints{-1584, 1584};
inline constexpr ValueRange kLineSpacingPoints{0.05, 1584};
inline constexpr ValueRange kColourComponent{0, 255};

// Whether `value` is a paragraph justification of ECMA-376 (w:jc), such as left,
// center, right or both.
bool is_justification(std::string_view value);

}  // namespace docx_loom
