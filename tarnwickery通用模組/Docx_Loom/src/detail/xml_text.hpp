#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace docx_loom::detail {

// Why XML cannot hold `text` as character data or an attribute value: bytes that are
// not UTF-8, or a character outside XML's Char production (a control character other
// than tab, line feed and carriage return; U+FFFE; U+FFFF). nullopt when it can.
// A vertical tab passes where the caller turns it into a line break.
std::optional<std::string> xml_text_problem(std::string_view text, bool vertical_tab_is_line_break = false);

// Why `text` is not UTF-8: the first byte that does not begin a well-formed sequence,
// and where. nullopt when it is UTF-8.
std::optional<std::string> utf8_problem(std::string_view text);

// Throws TemplateError saying that `what` holds what XML cannot hold.
void require_xml_text(std::string_view text, std::string_view what, bool vertical_tab_is_line_break = false);

}  // namespace docx_loom::detail
