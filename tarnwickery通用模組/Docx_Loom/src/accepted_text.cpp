#include <docx_loom/document.hpp>

#include "detail/namespaces.hpp"

#include <pugixml.hpp>

namespace docx_loom {
namespace {

bool contains(const std::string& text, std::string_view piece) { return text.find(piece) != std::string::npos; }

// Visits every element below `node` in document order; pugixml's traversal is iterative.
template <typename Visit>
void for_each_descendant(pugi::xml_node node, Visit&& visit) {
    struct Walker : pugi::xml_tree_walker {
        Visit* visit;
        bool for_each(pugi::xml_node& element) override {
            if (element.type() == pugi::node_element) (*visit)(element);
            return true;
        }
    } walker;
    walker.visit = &visit;
    node.traverse(walker);
}

}  // namespace

std::string Document::get_accepted_text(const Paragraph& p) const {
    const std::string xml = p.xml();
    // Cheap pre-check on the serialized text: without any of these the plain text is
    // already the accepted text.
    if (!contains(xml, "w:del") && !contains(xml, "w:ins") && !contains(xml, "w:br")) return p.text();

    using detail::kWordMl;
    std::string text;
    for_each_descendant(p.node(), [&](pugi::xml_node run) {
        if (!detail::is_in(run, kWordMl, "r")) return;
        for (auto child : run.children()) {
            if (detail::is_in(child, kWordMl, "br")) {
                if (std::string_view(detail::attribute_in(child, kWordMl, "type").value()) == "page")
                    text += "$$$page$$$";
            } else if (detail::is_in(child, kWordMl, "t")) {
                text += child.text().get();
            }
        }
    });
    return text;
}

std::string Document::_get_accepted_text(const Paragraph& p) const {
    const std::string xml = p.xml();
    if (!contains(xml, "w:del") && !contains(xml, "w:ins")) return p.text();

    std::string text;
    for_each_descendant(p.node(), [&](pugi::xml_node element) {
        if (detail::is_in(element, detail::kWordMl, "t")) text += element.text().get();
    });
    return text;
}

}  // namespace docx_loom
