#pragma once

#include <string>
#include <string_view>

// What a strict XML 1.0 parser (libxml2) says of `xml`: its first error, or "" when the
// text is well-formed. Characters XML cannot hold are errors here, written raw or as
// references, as they are to Word; the engine's own parser lets them pass.
std::string strict_xml_error(std::string_view xml);
