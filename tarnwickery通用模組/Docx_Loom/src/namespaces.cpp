#include "detail/namespaces.hpp"
#include "detail/xml_text.hpp"

#include <i18n/tr.hpp>

#include <algorithm>
#include <cstring>

namespace docx_loom::detail {

std::string_view local_name(std::string_view qualified) {
    const auto colon = qualified.find(':');
    return colon == std::string_view::npos ? qualified : qualified.substr(colon + 1);
}

std::string_view prefix_of(std::string_view qualified) {
    const auto colon = qualified.find(':');
    return colon == std::string_view::npos ? std::string_view{} : qualified.substr(0, colon);
}

std::string_view namespace_uri(pugi::xml_node node, std::string_view prefix) {
    const std::string declaration = prefix.empty() ? "xmlns" : "xmlns:" + std::string(prefix);
    for (; node; node = node.parent()) {
        if (node.type() != pugi::node_element) continue;
        if (auto attr = node.attribute(declaration.c_str())) return attr.value();
    }
    return {};
}

void WordNames::bind(pugi::xml_node root) {
    prefix_.clear();
    for (auto attr : root.attributes()) {
        std::string_view name = attr.name();
        if (name.starts_with("xmlns:") && std::strcmp(attr.value(), kWordMl) == 0) {
            prefix_ = std::string(name.substr(6));
            if (prefix_ == "w") break;
        }
    }
    if (prefix_.empty()) {
        // New attributes need a prefix, since unprefixed attributes are in no namespace.
        std::string declaration = "xmlns:w";
        while (root.attribute(declaration.c_str())) declaration += 'w';
        root.append_attribute(declaration.c_str()) = kWordMl;
        prefix_ = declaration.substr(6);
    }

    nested_bindings_ = false;
    struct Finder : pugi::xml_tree_walker {
        pugi::xml_node root;
        bool found = false;
        bool for_each(pugi::xml_node& node) override {
            if (node == root || node.type() != pugi::node_element) return true;
            for (auto attr : node.attributes()) {
                std::string_view name = attr.name();
                if (name == "xmlns" || name.starts_with("xmlns:")) {
                    found = true;
                    return false;
                }
            }
            return true;
        }
    } finder;
    finder.root = root;
    root.traverse(finder);
    nested_bindings_ = finder.found;
    default_is_word_ = std::strcmp(root.attribute("xmlns").value(), kWordMl) == 0;
}

std::string WordNames::q(std::string_view local) const {
    std::string name = prefix_;
    name += ':';
    name += local;
    return name;
}

bool is_in(pugi::xml_node node, std::string_view uri, std::string_view local) {
    if (node.type() != pugi::node_element) return false;
    const std::string_view name = node.name();
    if (local_name(name) != local) return false;
    return namespace_uri(node, prefix_of(name)) == uri;
}

pugi::xml_attribute attribute_in(pugi::xml_node node, std::string_view uri, std::string_view local) {
    for (auto attr : node.attributes()) {
        const std::string_view name = attr.name();
        const auto prefix = prefix_of(name);
        // Unprefixed attributes are in no namespace.
        if (prefix.empty() || prefix == "xmlns" || local_name(name) != local) continue;
        if (namespace_uri(node, prefix) == uri) return attr;
    }
    return {};
}

bool WordNames::is(pugi::xml_node node, std::string_view local) const {
    if (node.type() != pugi::node_element) return false;
    const std::string_view name = node.name();
    if (!nested_bindings_) {
        const auto prefix = prefix_of(name);
        if (local_name(name) != local) return false;
        if (prefix.empty()) return default_is_word_ && name == local;
        return prefix == prefix_ || namespace_uri(node, prefix) == kWordMl;
    }
    return is_in(node, kWordMl, local);
}

pugi::xml_attribute WordNames::attribute(pugi::xml_node node, std::string_view local) const {
    if (nested_bindings_) return attribute_in(node, kWordMl, local);
    for (auto attr : node.attributes()) {
        const std::string_view name = attr.name();
        if (prefix_of(name) == prefix_ && local_name(name) == local) return attr;
    }
    return {};
}

pugi::xml_node WordNames::child(pugi::xml_node node, std::string_view local) const {
    for (auto c : node.children())
        if (is(c, local)) return c;
    return {};
}

pugi::xml_node WordNames::ensure_child(pugi::xml_node node, std::string_view local,
                                       std::span<const std::string_view> order) const {
    if (auto existing = child(node, local)) return existing;
    const auto position = std::find(order.begin(), order.end(), local);
    // Insert before the first child that the schema puts after `local`.
    for (auto c : node.children()) {
        if (c.type() != pugi::node_element) continue;
        const auto other = std::find(order.begin(), order.end(), local_name(c.name()));
        if (other != order.end() && other > position && is(c, local_name(c.name())))
            return node.insert_child_before(q(local).c_str(), c);
    }
    return node.append_child(q(local).c_str());
}

void WordNames::set_attribute(pugi::xml_node node, std::string_view local,
                              std::string_view value) const {
    require_xml_text(value, i18n::tr("the value of attribute {1}", {q(local)}));
    auto attr = attribute(node, local);
    if (!attr) attr = node.append_attribute(q(local).c_str());
    attr.set_value(std::string(value).c_str());
}

std::span<const std::string_view> run_properties_order() {
    static constexpr std::string_view order[] = {
        "rStyle", "rFonts", "b", "bCs", "i", "iCs", "caps", "smallCaps", "strike", "dstrike",
        "outline", "shadow", "emboss", "imprint", "noProof", "snapToGrid", "vanish",
        "webHidden", "color", "spacing", "w", "kern", "position", "sz", "szCs", "highlight",
        "u", "effect", "bdr", "shd", "fitText", "vertAlign", "rtl", "cs", "em", "lang",
        "eastAsianLayout", "specVanish", "oMath", "rPrChange"};
    return order;
}

std::span<const std::string_view> paragraph_properties_order() {
    static constexpr std::string_view order[] = {
        "pStyle", "keepNext", "keepLines", "pageBreakBefore", "framePr", "widowControl",
        "numPr", "suppressLineNumbers", "pBdr", "shd", "tabs", "suppressAutoHyphens",
        "kinsoku", "wordWrap", "overflowPunct", "topLinePunct", "autoSpaceDE", "autoSpaceDN",
        "bidi", "adjustRightInd", "snapToGrid", "spacing", "ind", "contextualSpacing",
        "mirrorIndents", "suppressOverlap", "jc", "textDirection", "textAlignment",
        "textboxTightWrap", "outlineLvl", "divId", "cnfStyle", "rPr", "sectPr", "pPrChange"};
    return order;
}

std::span<const std::string_view> table_properties_order() {
    static constexpr std::string_view order[] = {
        "tblStyle", "tblpPr", "tblOverlap", "bidiVisual", "tblStyleRowBandSize",
        "tblStyleColBandSize", "tblW", "jc", "tblCellSpacing", "tblInd", "tblBorders", "shd",
        "tblLayout", "tblCellMar", "tblLook", "tblCaption", "tblDescription", "tblPrChange"};
    return order;
}

std::span<const std::string_view> row_properties_order() {
    // The schema allows these in any order; Word writes them in this one.
    static constexpr std::string_view order[] = {
        "cnfStyle", "divId", "gridBefore", "gridAfter", "wBefore", "wAfter", "cantSplit",
        "trHeight", "tblHeader", "tblCellSpacing", "jc", "hidden", "ins", "del", "trPrChange"};
    return order;
}

std::span<const std::string_view> cell_properties_order() {
    static constexpr std::string_view order[] = {
        "cnfStyle", "tcW", "gridSpan", "hMerge", "vMerge", "tcBorders", "shd", "noWrap", "tcMar",
        "textDirection", "tcFitText", "vAlign", "hideMark", "headers", "cellIns", "cellDel",
        "cellMerge", "tcPrChange"};
    return order;
}

}  // namespace docx_loom::detail
