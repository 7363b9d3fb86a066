#pragma once

#include "namespaces.hpp"

#include <docx_loom/package.hpp>

#include <pugixml.hpp>

#include <cstdint>
#include <string>

namespace docx_loom::detail {

// Everything an open WordDocument holds; element handles point here.
struct WordState {
    Package package;
    std::string main_part;       // e.g. "word/document.xml"
    std::string main_rels_part;  // e.g. "word/_rels/document.xml.rels"
    pugi::xml_document main;
    pugi::xml_document main_rels;
    pugi::xml_document content_types;
    WordNames names;
    std::uint32_t last_drawing_id = 0;
    bool rels_changed = false;
    bool content_types_changed = false;

    // Stores picture bytes once per distinct content and returns the relationship id
    // that points at them.
    std::string picture_relationship(const std::string& bytes, std::string_view extension,
                                     std::string_view content_type);

    // The package with the parsed parts written back into it.
    Package current_package() const;

    // The part named by the main part's first internal relationship of `type`, or ""
    // when there is none.
    std::string related_part(std::string_view type) const;
    // A new, empty body child `local`, placed before the body's final w:sectPr.
    pugi::xml_node append_block(std::string_view local);
};

// Parses one part of the package; throws XmlError naming the part and the file.
void parse_part(pugi::xml_document& xml, const Package& package, const std::string& part);
// The XML of a document without pretty-printing, declaration included.
std::string serialize(const pugi::xml_document& xml);

}  // namespace docx_loom::detail
