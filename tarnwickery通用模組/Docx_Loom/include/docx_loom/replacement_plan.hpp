#pragma once

#include <docx_loom/length.hpp>
#include <docx_loom/ordered_map.hpp>

#include <array>
#include <concepts>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace docx_loom {

// The thirteen keys of a plan entry, in their fixed order, as they print.
inline constexpr std::array<std::string_view, 13> kEntryKeys = {
    "替換值", "英文字型", "中文字型", "字體大小", "對其位置", "left_indent", "line_spacing",
    "font_color", "__remark__", "image_path", "image_height", "image_width", "固定圖片比例"};

// Text that may be given as text or as a whole number, whose text form is its
// decimal digits.
class TextForm {
public:
    TextForm(std::string text) : text_(std::move(text)) {}
    TextForm(std::string_view text) : text_(text) {}
    TextForm(const char* text) : text_(text) {}
    template <std::integral Number>
        requires(!std::same_as<Number, char> && !std::same_as<Number, bool>)
    TextForm(Number number) : text_(std::to_string(number)) {}

    const std::string& str() const { return text_; }

private:
    std::string text_;
};

struct Rgb {
    int red = 0;
    int green = 0;
    int blue = 0;
};

// The options of Document::set, named as the options are, with their defaults.
// Values are stored as given and checked only when the plan is applied.
struct SetOptions {
    std::string new_font_name = "Calibri";        // 英文字型
    std::string new_font_name_Chinese = "標楷體";  // 中文字型
    Length new_font_size = Pt(8);                  // 字體大小
    std::string new_alignment = "center";          // 對其位置, a w:jc value
    std::optional<double> left_indent;             // points
    std::optional<double> line_spacing;            // points, exact
    std::optional<Rgb> font_color;
    Length remark_new_font_size = Pt(8);           // __remark__ / 字體大小
    std::optional<std::string> image_path;
    std::optional<double> image_height;            // inches
    std::optional<double> image_width;             // inches
    bool image_fixed_ratio = true;                 // 固定圖片比例
};

// One queued replacement: the text that takes the placeholder's place (替換值) and
// the formatting and picture options.
struct PlanEntry : SetOptions {
    std::string new_text;
};

// Placeholder texts mapped to their entries, in the order each placeholder was first
// queued. Queuing a placeholder again replaces its entry in place.
class ReplacementPlan : public OrderedMap<PlanEntry> {
public:
    void put(std::string_view placeholder, PlanEntry entry) { (*this)[placeholder] = std::move(entry); }
};

}  // namespace docx_loom
