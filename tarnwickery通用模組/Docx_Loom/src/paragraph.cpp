#include <docx_loom/word_document.hpp>

#include "detail/inline_content.hpp"
#include "detail/word_state.hpp"
#include "detail/xml_text.hpp"

#include <docx_loom/errors.hpp>
#include <i18n/tr.hpp>
#include <docx_loom/value_ranges.hpp>

#include <algorithm>
#include <array>
#include <cmath>
#include <set>
#include <sstream>

namespace docx_loom {
namespace {

pugi::xml_node paragraph_property(pugi::xml_node p, const detail::WordNames& names, std::string_view local) {
    auto properties = names.child(p, "pPr");
    if (!properties) properties = p.prepend_child(names.q("pPr").c_str());
    return names.ensure_child(properties, local, detail::paragraph_properties_order());
}

std::string twips(Length length) { return std::to_string(std::llround(length.pt() * 20)); }

void require_points(Length length, const ValueRange& range, const std::string& what) {
    if (!range.holds(length.pt()))
        throw TemplateError(i18n::tr("{1} of {2} pt is not {3} pt", {what, std::to_string(length.pt()), range.text()}));
}

void add_prefixes(pugi::xml_node node, std::set<std::string>& prefixes) {
    if (node.type() != pugi::node_element) return;
    prefixes.insert(std::string(detail::prefix_of(node.name())));
    for (auto attr : node.attributes()) {
        const auto prefix = detail::prefix_of(attr.name());
        if (!prefix.empty() && prefix != "xmlns" && prefix != "xml") prefixes.insert(std::string(prefix));
    }
}

// Every prefix the element and its descendants use; pugixml's traversal is iterative.
std::set<std::string> used_prefixes(pugi::xml_node root) {
    struct Collector : pugi::xml_tree_walker {
        std::set<std::string> prefixes;
        bool for_each(pugi::xml_node& node) override {
            add_prefixes(node, prefixes);
            return true;
        }
    } collector;
    add_prefixes(root, collector.prefixes);
    root.traverse(collector);
    return std::move(collector.prefixes);
}

}  // namespace

std::string Paragraph::text() const { return text(TextReading::plain); }

std::string Paragraph::text(TextReading reading) const {
    return detail::read_paragraph(node_, part_->names, reading).text;
}

bool Paragraph::holds_only_text() const { return detail::holds_only_text(node_, part_->names, true); }

void Paragraph::set_text(std::string_view text) {
    detail::require_xml_text(text, i18n::tr("paragraph text"), true);
    clear();
    add_run(text);
}

std::string Paragraph::xml() const {
    pugi::xml_document fragment;
    auto copy = fragment.append_copy(node_);
    for (const auto& prefix : used_prefixes(node_)) {
        const std::string declaration = prefix.empty() ? "xmlns" : "xmlns:" + prefix;
        if (copy.attribute(declaration.c_str())) continue;
        const auto uri = detail::namespace_uri(node_, prefix);
        if (!uri.empty()) copy.append_attribute(declaration.c_str()) = std::string(uri).c_str();
    }
    std::ostringstream out;
    fragment.save(out, "", pugi::format_raw | pugi::format_no_declaration, pugi::encoding_utf8);
    return out.str();
}

void Paragraph::clear() {
    for (auto child = node_.first_child(); child;) {
        auto next = child.next_sibling();
        if (!part_->names.is(child, "pPr")) node_.remove_child(child);
        child = next;
    }
}

Run Paragraph::add_run(std::string_view text) {
    Run run(node_.append_child(part_->names.q("r").c_str()), part_);
    if (!text.empty()) run.set_text(text);
    return run;
}

std::vector<Run> Paragraph::runs() const {
    std::vector<Run> result;
    for (auto child : node_.children())
        if (part_->names.is(child, "r")) result.emplace_back(child, part_);
    return result;
}

void Paragraph::set_alignment(std::string_view justification) {
    if (!is_justification(justification))
        throw TemplateError(i18n::tr("'{1}' is not a paragraph alignment (w:jc value)", {justification}));
    part_->names.set_attribute(paragraph_property(node_, part_->names, "jc"), "val", justification);
}

void Paragraph::set_left_indent(Length indent) {
    require_points(indent, kLeftIndentPoints, i18n::tr("a left indent"));
    part_->names.set_attribute(paragraph_property(node_, part_->names, "ind"), "left", twips(indent));
}

void Paragraph::set_line_spacing(Length spacing) {
    require_points(spacing, kLineSpacingPoints, i18n::tr("a line spacing"));
    auto element = paragraph_property(node_, part_->names, "spacing");
    part_->names.set_attribute(element, "line", twips(spacing));
    part_->names.set_attribute(element, "lineRule", "exact");
}

}  // namespace docx_loom
