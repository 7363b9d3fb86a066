#include <docx_loom/word_document.hpp>

#include "detail/word_state.hpp"
#include "detail/xml_text.hpp"

#include <docx_loom/errors.hpp>
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

bool has_edge_space(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
    return !text.empty() && (blank(text.front()) || blank(text.back()));
}

}  // namespace

std::string Run::text() const {
    const auto& names = state_->names;
    std::string text;
    for (auto child : node_.children()) {
        if (names.is(child, "t")) {
            text += child.text().get();
        } else if (names.is(child, "tab") || names.is(child, "ptab")) {
            text += '\t';
        } else if (names.is(child, "br")) {
            const std::string_view type = names.attribute(child, "type").value();
            if (type.empty() || type == "textWrapping") text += '\n';
        } else if (names.is(child, "cr")) {
            text += '\n';
        } else if (names.is(child, "noBreakHyphen")) {
            text += '-';
        }
    }
    return text;
}

void Run::set_text(std::string_view text) {
    detail::require_xml_text(text, "run text", true);
    const auto& names = state_->names;
    for (auto child = node_.first_child(); child;) {
        auto next = child.next_sibling();
        if (!names.is(child, "rPr")) node_.remove_child(child);
        child = next;
    }
    std::size_t start = 0;
    while (start <= text.size()) {
        const auto stop = text.find_first_of("\t\n\v", start);
        const auto piece = text.substr(start, stop == std::string_view::npos ? std::string_view::npos : stop - start);
        if (!piece.empty()) {
            auto t = node_.append_child(names.q("t").c_str());
            if (has_edge_space(piece)) t.append_attribute("xml:space") = "preserve";
            t.text().set(std::string(piece).c_str());
        }
        if (stop == std::string_view::npos) break;
        node_.append_child(names.q(text[stop] == '\t' ? "tab" : "br").c_str());
        start = stop + 1;
    }
}

void Run::set_font_name(std::string_view name) {
    auto fonts = run_property(node_, state_->names, "rFonts");
    state_->names.set_attribute(fonts, "ascii", name);
    state_->names.set_attribute(fonts, "hAnsi", name);
}

void Run::set_east_asian_font(std::string_view name) {
    state_->names.set_attribute(run_property(node_, state_->names, "rFonts"), "eastAsia", name);
}

void Run::set_size(Length size) {
    if (!kFontSizePoints.holds(size.pt()))
        throw TemplateError("font size " + std::to_string(size.pt()) + " pt is not " + kFontSizePoints.text() + " pt");
    const double half_points = std::round(size.pt() * 2);
    state_->names.set_attribute(run_property(node_, state_->names, "sz"), "val",
                                std::to_string(static_cast<long long>(half_points)));
}

void Run::set_color(int red, int green, int blue) {
    for (int component : {red, green, blue})
        if (!kColourComponent.holds(component))
            throw TemplateError("colour component " + std::to_string(component) + " is not " +
                                kColourComponent.text());
    auto color = run_property(node_, state_->names, "color");
    for (auto theme : {"themeColor", "themeTint", "themeShade"})
        if (auto attr = state_->names.attribute(color, theme)) color.remove_attribute(attr);
    char hex[7];
    std::snprintf(hex, sizeof hex, "%02X%02X%02X", red, green, blue);
    state_->names.set_attribute(color, "val", hex);
}

void Run::add_page_break() {
    auto br = node_.append_child(state_->names.q("br").c_str());
    state_->names.set_attribute(br, "type", "page");
}

}  // namespace docx_loom
