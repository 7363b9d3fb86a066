#pragma once

#include <pugixml.hpp>

#include <string>

namespace docx_loom::detail {

// The deepest element nesting the engine accepts. Real documents stay below a hundred
// levels; the bound keeps pugixml's recursive node removal, and any walk, far from the
// end of a thread's stack.
inline constexpr int kMaxXmlDepth = 4096;

// Throws XmlError, naming `what`, when an element below `root` lies more than
// kMaxXmlDepth levels deep. Iterative.
void check_depth(pugi::xml_node root, const std::string& what);

}  // namespace docx_loom::detail
