#include "plan.hpp"

#include <docx_loom/value_ranges.hpp>

#include <bounded_input/json.hpp>
#include <i18n/tr.hpp>

#include <cmath>
#include <functional>
#include <map>

namespace docx_loom::cli {
namespace {

using Json = nlohmann::json;

// Enough of a wrong value or an unknown key to recognise it.
constexpr std::size_t kShown = 100;

struct Field {
    const Json& value;
    std::string where;  // "plan entry N, key K"

    [[noreturn]] void wrong(const std::string& expected) const {
        // JSON text cannot hold an infinite number, but a value built by a program can,
        // and it would be written out as null.
        const bool infinite = value.is_number_float() && !std::isfinite(value.get<double>());
        const std::string given = infinite ? i18n::tr("a number too large") : bounded_input::excerpt(value, kShown);
        throw PlanError(i18n::tr("{1} must be {2}, not {3}", {where, expected, given}));
    }
    std::string text() const {
        if (!value.is_string()) wrong(i18n::tr("text"));
        return value.get<std::string>();
    }
    double number() const {
        if (!value.is_number()) wrong(i18n::tr("a number"));
        return value.get<double>();
    }
    std::optional<double> number_or_none() const {
        if (value.is_null()) return std::nullopt;
        return number();
    }
    // A number of points within what the document can hold.
    double points(const ValueRange& range) const {
        const double n = number();
        if (!range.holds(n)) wrong(i18n::tr("a number of points {1}", {range.text()}));
        return n;
    }
    std::optional<double> points_or_none(const ValueRange& range) const {
        if (value.is_null()) return std::nullopt;
        return points(range);
    }
    // Text, or a number as its decimal text.
    std::string text_form() const {
        if (value.is_string()) return value.get<std::string>();
        if (value.is_number()) return value.dump();
        wrong(i18n::tr("text or a number"));
    }
};

using Setter = std::function<void(PlanItem&, const Field&)>;

const std::map<std::string, Setter>& setters() {
    static const std::map<std::string, Setter> table = {
        {"old_text", [](PlanItem& item, const Field& f) { item.old_text = f.text_form(); }},
        {"new_text", [](PlanItem& item, const Field& f) { item.new_text = f.text_form(); }},
        {"new_font_name", [](PlanItem& item, const Field& f) { item.options.new_font_name = f.text(); }},
        {"new_font_name_Chinese",
         [](PlanItem& item, const Field& f) { item.options.new_font_name_Chinese = f.text(); }},
        {"new_font_size",
         [](PlanItem& item, const Field& f) { item.options.new_font_size = Pt(f.points(kFontSizePoints)); }},
        {"remark_new_font_size",
         [](PlanItem& item, const Field& f) { item.options.remark_new_font_size = Pt(f.points(kFontSizePoints)); }},
        {"new_alignment", [](PlanItem& item, const Field& f) { item.options.new_alignment = f.text(); }},
        {"left_indent",
         [](PlanItem& item, const Field& f) { item.options.left_indent = f.points_or_none(kLeftIndentPoints); }},
        {"line_spacing",
         [](PlanItem& item, const Field& f) { item.options.line_spacing = f.points_or_none(kLineSpacingPoints); }},
        {"font_color",
         [](PlanItem& item, const Field& f) {
             if (f.value.is_null()) return item.options.font_color.reset();
             if (!f.value.is_array() || f.value.size() != 3) f.wrong(i18n::tr("[red, green, blue]"));
             int rgb[3];
             for (int i = 0; i < 3; ++i) {
                 const Json& component = f.value[i];
                 // Compared as a double, which any JSON integer converts to without wrapping.
                 if (!component.is_number_integer() || !kColourComponent.holds(component.get<double>()))
                     f.wrong(i18n::tr("[red, green, blue] of whole numbers {1}", {kColourComponent.text()}));
                 rgb[i] = component.get<int>();
             }
             item.options.font_color = Rgb{rgb[0], rgb[1], rgb[2]};
         }},
        {"image_path",
         [](PlanItem& item, const Field& f) {
             if (f.value.is_null()) return item.options.image_path.reset();
             item.options.image_path = f.text();
         }},
        {"image_height", [](PlanItem& item, const Field& f) { item.options.image_height = f.number_or_none(); }},
        {"image_width", [](PlanItem& item, const Field& f) { item.options.image_width = f.number_or_none(); }},
        {"image_fixed_ratio",
         [](PlanItem& item, const Field& f) {
             if (!f.value.is_boolean()) f.wrong(i18n::tr("true or false"));
             item.options.image_fixed_ratio = f.value.get<bool>();
         }},
    };
    return table;
}

}  // namespace

std::vector<PlanItem> read_plan(const Json& plan) {
    if (!plan.is_array()) throw PlanError(i18n::tr("the plan must be a JSON array of entries"));
    std::vector<PlanItem> items;
    for (std::size_t i = 0; i < plan.size(); ++i) {
        const std::string number = std::to_string(i + 1);
        if (!plan[i].is_object()) throw PlanError(i18n::tr("plan entry {1} must be an object", {number}));
        for (const char* required : {"old_text", "new_text"})
            if (!plan[i].contains(required))
                throw PlanError(i18n::tr("plan entry {1} has no \"{2}\"", {number, required}));
        PlanItem item;
        for (const auto& [key, value] : plan[i].items()) {
            const auto setter = setters().find(key);
            if (setter == setters().end())
                throw PlanError(
                    i18n::tr("plan entry {1} has an unknown key \"{2}\"", {number, bounded_input::cut(key, kShown)}));
            setter->second(item, Field{value, i18n::tr("plan entry {1}, key \"{2}\",", {number, key})});
        }
        // An empty placeholder is found everywhere and nowhere.
        if (item.old_text.empty())
            throw PlanError(i18n::tr("plan entry {1}, key \"old_text\", must not be empty", {number}));
        items.push_back(std::move(item));
    }
    return items;
}

}  // namespace docx_loom::cli
