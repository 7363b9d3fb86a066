#include "detail/xml_depth.hpp"

#include <docx_loom/errors.hpp>
#include <i18n/tr.hpp>

namespace docx_loom::detail {

void check_depth(pugi::xml_node root, const std::string& what) {
    int depth = 1;
    for (pugi::xml_node node = root.first_child(); node;) {
        if (node.first_child()) {
            node = node.first_child();
            if (++depth > kMaxXmlDepth)
                throw XmlError(
                    i18n::tr("{1} nests elements more than {2} levels deep; refusing it as damaged or hostile",
                             {what, std::to_string(kMaxXmlDepth)}));
            continue;
        }
        while (!node.next_sibling()) {
            node = node.parent();
            if (!node || node == root) return;
            --depth;
        }
        node = node.next_sibling();
    }
}

}  // namespace docx_loom::detail
