#pragma once

#include "namespaces.hpp"

#include <docx_loom/package.hpp>

#include <pugixml.hpp>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace docx_loom::detail {

struct WordState;

// One parsed part that holds text: the main document part, a header, a footer, the
// footnotes or the endnotes, with its own relationships and its own prefixes.
struct StoryPart {
    WordState* owner = nullptr;
    std::string name;       // e.g. "word/header1.xml"
    std::string rels_name;  // e.g. "word/_rels/header1.xml.rels"
    pugi::xml_document xml;
    pugi::xml_document rels;
    WordNames names;
    bool rels_changed = false;

    // Parses the part and its relationships (an empty set when it has none); throws
    // XmlError naming the part.
    void load(WordState& state, std::string part);

    // Stores picture bytes once per distinct content and returns the relationship id,
    // in this part's relationships, that points at them.
    std::string picture_relationship(const std::string& bytes, std::string_view extension,
                                     std::string_view content_type);

    // The part named by this part's first internal relationship of `type`, or "" when
    // there is none.
    std::string related_part(std::string_view type) const;
    // The part the relationship `id` of this part points at, or "" when it is not an
    // internal one.
    std::string part_of_relationship(std::string_view id) const;
    // Adds a relationship of `type` to `target` (relative to this part's folder) and
    // returns its id, the next free "rIdN".
    std::string add_relationship(std::string_view type, const std::string& target);
};

// Everything an open WordDocument holds; element handles point into its parts.
struct WordState {
    Package package;
    StoryPart main;
    // Headers, footers, footnotes and endnotes, in the order the main part relates
    // them, each with its XML as first parsed, so that an untouched part is written
    // back byte for byte.
    std::vector<std::unique_ptr<StoryPart>> other_parts;
    std::vector<std::string> other_parts_as_parsed;
    pugi::xml_document content_types;
    std::uint32_t last_drawing_id = 0;
    bool content_types_changed = false;

    // The package with the parsed parts written back into it.
    Package current_package() const;

    // A new, empty body child `local`, placed before the body's final w:sectPr.
    pugi::xml_node append_block(std::string_view local);
    // The header, footer or note part named `name`, or nullptr.
    StoryPart* story(const std::string& name);
    // Declares `content_type` for the part `name` unless its extension's default or an
    // override declares it already.
    void declare_part(const std::string& name, std::string_view content_type);
};

// Parses one part of the package; throws XmlError naming the part and the file.
void parse_part(pugi::xml_document& xml, const Package& package, const std::string& part);
// The XML of a document without pretty-printing, declaration included.
std::string serialize(const pugi::xml_document& xml);

}  // namespace docx_loom::detail
