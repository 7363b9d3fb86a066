#include <docx_loom/document.hpp>

#include "detail/namespaces.hpp"

#include <algorithm>
#include <array>

namespace docx_loom {
namespace {

// Tracked changes: inserted, deleted and moved text. Field codes (w:instrText) and
// deleted field codes are not among them, though their names begin alike.
constexpr std::array<std::string_view, 4> kChanges = {"ins", "del", "moveFrom", "moveTo"};
constexpr std::array<std::string_view, 5> kChangesAndBreaks = {"ins", "del", "moveFrom", "moveTo", "br"};

// Whether any element below the paragraph is one of `locals` in the WordprocessingML
// namespace, whatever prefix the document gives it. Iterative: paragraphs nest deeply
// through text boxes.
template <std::size_t N>
bool holds_any(const Paragraph& p, const std::array<std::string_view, N>& locals) {
    const pugi::xml_node top = p.node();
    for (pugi::xml_node node = top.first_child(); node && node != top;) {
        if (node.type() == pugi::node_element) {
            const std::string_view local = detail::local_name(node.name());
            if (std::find(locals.begin(), locals.end(), local) != locals.end() &&
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

std::string Document::get_accepted_text(const Paragraph& p) const {
    // Without changes or breaks the plain text is already the accepted text.
    return p.text(holds_any(p, kChangesAndBreaks) ? TextReading::accepted : TextReading::plain);
}

std::string Document::_get_accepted_text(const Paragraph& p) const {
    if (!holds_any(p, kChanges)) return p.text();
    return p.text(TextReading::bare);
}

}  // namespace docx_loom
