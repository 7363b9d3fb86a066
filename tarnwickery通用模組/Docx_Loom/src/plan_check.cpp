#include "detail/plan_check.hpp"

#include "detail/xml_text.hpp"

#include <docx_loom/errors.hpp>
#include <docx_loom/value_ranges.hpp>

#include <bounded_input/cut.hpp>
#include <i18n/tr.hpp>

#include <cstdio>
#include <optional>
#include <string>

namespace docx_loom::detail {
namespace {

constexpr std::size_t kPlaceholderShown = 80;

std::string number_text(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

// The first thing wrong with one entry, as "option: why".
std::optional<std::string> entry_problem(const PlanEntry& entry) {
    const struct {
        const char* option;
        const std::string& value;
        bool vertical_tab_is_line_break;
    } texts[] = {{"new_text", entry.new_text, true},
                 {"new_font_name", entry.new_font_name, false},
                 {"new_font_name_Chinese", entry.new_font_name_Chinese, false}};
    for (const auto& text : texts)
        if (auto problem = xml_text_problem(text.value, text.vertical_tab_is_line_break))
            return std::string(text.option) + " " + *problem;

    const struct {
        const char* option;
        std::optional<double> points;
        const ValueRange& range;
    } lengths[] = {{"new_font_size", entry.new_font_size.pt(), kFontSizePoints},
                   {"remark_new_font_size", entry.remark_new_font_size.pt(), kFontSizePoints},
                   {"left_indent", entry.left_indent, kLeftIndentPoints},
                   {"line_spacing", entry.line_spacing, kLineSpacingPoints}};
    for (const auto& length : lengths)
        if (length.points && !length.range.holds(*length.points))
            return i18n::tr("{1} {2} is not a number of points {3}",
                            {length.option, number_text(*length.points), length.range.text()});

    if (entry.font_color)
        for (int component : {entry.font_color->red, entry.font_color->green, entry.font_color->blue})
            if (!kColourComponent.holds(component))
                return i18n::tr("font_color component {1} is not {2}",
                                {std::to_string(component), kColourComponent.text()});

    if (!is_justification(entry.new_alignment))
        return i18n::tr("new_alignment '{1}' is not a paragraph alignment (w:jc value)",
                        {bounded_input::cut(entry.new_alignment, kPlaceholderShown)});
    return std::nullopt;
}

}  // namespace

void check_plan(const ReplacementPlan& plan) {
    std::size_t number = 0;
    for (const auto& [placeholder, entry] : plan) {
        ++number;
        if (auto problem = entry_problem(entry))
            throw TemplateError(
                i18n::tr("replacement plan entry {1} ('{2}'): {3}",
                         {std::to_string(number), bounded_input::cut(placeholder, kPlaceholderShown), *problem}));
    }
}

}  // namespace docx_loom::detail
