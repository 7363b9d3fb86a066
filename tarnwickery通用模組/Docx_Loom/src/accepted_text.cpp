#include <docx_loom/document.hpp>

#include "detail/accepted_reading.hpp"
#include "detail/namespaces.hpp"

#include <algorithm>
#include <initializer_list>

namespace docx_loom {
namespace {

// Whether any element below the paragraph has a local name starting with one of
// `starts` (so "ins" takes in w:instrText too) in the WordprocessingML namespace,
// whatever prefix the document gives it. Iterative: paragraphs nest deeply through
// text boxes.
bool holds_any(const Paragraph& p, std::initializer_list<std::string_view> starts) {
    const pugi::xml_node top = p.node();
    for (pugi::xml_node node = top.first_child(); node && node != top;) {
        if (node.type() == pugi::node_element) {
            const std::string_view local = detail::local_name(node.name());
            if (std::any_of(starts.begin(), starts.end(), [&](std::string_view start) { return local.starts_with(start); }) &&
                detail::is_in(node, detail::kWordMl, local))
                return true;
        }
        if (node.first_child()) {
            node = node.first_child();
            continue;
        }
        while (node != top && !node.next_sibling()) node = node.parent();
        if (node != top) node = node.next_sibling();
    }
    return false;
}

}  // namespace

namespace detail {

TextReading accepted_reading(const Paragraph& p) {
    // Without any of these the plain text is already the accepted text.
    return holds_any(p, {"del", "ins", "br"}) ? TextReading::accepted : TextReading::plain;
}

}  // namespace detail

std::string Document::get_accepted_text(const Paragraph& p) const { return p.text(detail::accepted_reading(p)); }

std::string Document::_get_accepted_text(const Paragraph& p) const {
    if (!holds_any(p, {"del", "ins"})) return p.text();
    return p.text(TextReading::bare);
}

}  // namespace docx_loom
