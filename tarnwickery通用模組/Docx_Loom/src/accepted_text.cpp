#include <docx_loom/document.hpp>

#include "detail/accepted_reading.hpp"

namespace docx_loom {
namespace {

bool contains(const std::string& text, std::string_view piece) { return text.find(piece) != std::string::npos; }

}  // namespace

namespace detail {

TextReading accepted_reading(const Paragraph& p) {
    // A cheap pre-check on the serialized text: without any of these the plain text is
    // already the accepted text.
    const std::string xml = p.xml();
    return contains(xml, "w:del") || contains(xml, "w:ins") || contains(xml, "w:br") ? TextReading::accepted
                                                                                     : TextReading::plain;
}

}  // namespace detail

std::string Document::get_accepted_text(const Paragraph& p) const { return p.text(detail::accepted_reading(p)); }

std::string Document::_get_accepted_text(const Paragraph& p) const {
    const std::string xml = p.xml();
    if (!contains(xml, "w:del") && !contains(xml, "w:ins")) return p.text();
    return p.text(TextReading::bare);
}

}  // namespace docx_loom
