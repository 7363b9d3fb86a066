#include <docx_loom/word_document.hpp>

#include "detail/inline_content.hpp"
#include "detail/word_state.hpp"
#include "detail/xml_text.hpp"

#include <docx_loom/errors.hpp>
#include <i18n/tr.hpp>
#include <docx_loom/value_ranges.hpp>

#include <cmath>
#include <cstdio>

namespace docx_loom {
namespace {

pugi::xml_node run_properties(pugi::xml_node run, const detail::WordNames& names) {
    if (auto existing = names.child(run, "rPr")) return existing;
    return run.prepend_child(names.q("rPr").c_str());
}

pugi::xml_node run_property(pugi::xml_node run, const detail::WordNames& names, std::string_view local) {
    return names.ensure_child(run_properties(run, names), local, detail::run_properties_order());
}

}  // namespace

std::string Run::text() const {
    detail::SpannedText text;
    detail::read_run(node_, part_->names, TextReading::plain, text);
    return std::move(text.text);
}

void Run::set_text(std::string_view text) {
    detail::require_xml_text(text, i18n::tr("run text"), true);
    const auto& names = part_->names;
    for (auto child = node_.first_child(); child;) {
        auto next = child.next_sibling();
        if (!names.is(child, "rPr")) node_.remove_child(child);
        child = next;
    }
    detail::write_text(node_, {}, text, names);
}

void Run::set_font_name(std::string_view name) {
    auto fonts = run_property(node_, part_->names, "rFonts");
    part_->names.set_attribute(fonts, "ascii", name);
    part_->names.set_attribute(fonts, "hAnsi", name);
}

void Run::set_east_asian_font(std::string_view name) {
    part_->names.set_attribute(run_property(node_, part_->names, "rFonts"), "eastAsia", name);
}

void Run::set_size(Length size) {
    if (!kFontSizePoints.holds(size.pt()))
        throw TemplateError(
            i18n::tr("font size {1} pt is not {2} pt", {std::to_string(size.pt()), kFontSizePoints.text()}));
    const double half_points = std::round(size.pt() * 2);
    part_->names.set_attribute(run_property(node_, part_->names, "sz"), "val",
                                std::to_string(static_cast<long long>(half_points)));
}

void Run::set_color(int red, int green, int blue) {
    for (int component : {red, green, blue})
        if (!kColourComponent.holds(component))
            throw TemplateError(
                i18n::tr("colour component {1} is not {2}", {std::to_string(component), kColourComponent.text()}));
    auto color = run_property(node_, part_->names, "color");
    for (auto theme : {"themeColor", "themeTint", "themeShade"})
        if (auto attr = part_->names.attribute(color, theme)) color.remove_attribute(attr);
    char hex[7];
    std::snprintf(hex, sizeof hex, "%02X%02X%02X", red, green, blue);
    part_->names.set_attribute(color, "val", hex);
}

void Run::add_page_break() {
    auto br = node_.append_child(part_->names.q("br").c_str());
    part_->names.set_attribute(br, "type", "page");
}

Run Run::add_run_after(std::string_view text) {
    Run run(node_.parent().insert_child_after(part_->names.q("r").c_str(), node_), part_);
    if (!text.empty()) run.set_text(text);
    return run;
}

Paragraph Run::paragraph() const {
    for (auto node = node_.parent(); node; node = node.parent())
        if (part_->names.is(node, "p")) return Paragraph(node, part_);
    return {};
}

}  // namespace docx_loom
