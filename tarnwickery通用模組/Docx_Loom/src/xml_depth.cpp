#include "detail/xml_depth.hpp"

#include <docx_loom/errors.hpp>

namespace docx_loom::detail {

void check_depth(pugi::xml_node root, const std::string& what) {
    int depth = 1;
    for (pugi::xml_node node = root.first_child(); node;) {
        if (node.first_child()) {
            node = node.first_child();
            if (++depth > kMaxXmlDepth)
                throw XmlError(what + " nests elements more than " + std::to_string(kMaxXmlDepth) +
                               " levels deep; refusing it as damaged or hostile");
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
