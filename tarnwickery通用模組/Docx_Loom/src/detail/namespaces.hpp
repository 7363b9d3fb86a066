#pragma once

#include <pugixml.hpp>

#include <span>
#include <string>
#include <string_view>

namespace docx_loom::detail {

inline constexpr const char* kWordMl = "http://schemas.openxmlformats.org/wordprocessingml/2006/main";
inline constexpr const char* kRelationshipsNs =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
inline constexpr const char* kWordDrawing =
    "http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing";
inline constexpr const char* kDrawingMain = "http://schemas.openxmlformats.org/drawingml/2006/main";
inline constexpr const char* kPicture = "http://schemas.openxmlformats.org/drawingml/2006/picture";
inline constexpr const char* kPackageRelationships =
    "http://schemas.openxmlformats.org/package/2006/relationships";
inline constexpr const char* kContentTypes =
    "http://schemas.openxmlformats.org/package/2006/content-types";

inline constexpr const char* kOfficeDocumentRel =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument";
inline constexpr const char* kStrictOfficeDocumentRel =
    "http://purl.oclc.org/ooxml/officeDocument/relationships/officeDocument";
inline constexpr const char* kStrictWordMl = "http://purl.oclc.org/ooxml/wordprocessingml/main";
inline constexpr const char* kImageRel =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/image";
inline constexpr const char* kStylesRel =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles";
// Parts that hold text of their own, which the fill visits after the body.
inline constexpr const char* kStoryRels[] = {
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/header",
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/footer",
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/footnotes",
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/endnotes"};
inline constexpr const char* kMarkupCompatibility = "http://schemas.openxmlformats.org/markup-compatibility/2006";

std::string_view local_name(std::string_view qualified);
std::string_view prefix_of(std::string_view qualified);
// The URI bound to `prefix` ("" for the default namespace) at `node`, or "".
std::string_view namespace_uri(pugi::xml_node node, std::string_view prefix);
// Whether the element is `local` in namespace `uri`, resolving its prefix.
bool is_in(pugi::xml_node node, std::string_view uri, std::string_view local);
// The attribute `local` in namespace `uri`, or an empty attribute.
pugi::xml_attribute attribute_in(pugi::xml_node node, std::string_view uri, std::string_view local);

// Qualified names of the WordprocessingML main namespace in one document: the prefix
// its root binds, and whether any element below the root rebinds prefixes (then
// every name is resolved through its ancestors).
class WordNames {
public:
    // Binds a prefix on `root` when the namespace has no prefix there yet.
    void bind(pugi::xml_node root);

    // prefix:local
    std::string q(std::string_view local) const;
    bool is(pugi::xml_node node, std::string_view local) const;
    pugi::xml_attribute attribute(pugi::xml_node node, std::string_view local) const;

    pugi::xml_node child(pugi::xml_node node, std::string_view local) const;
    // The child, created in schema order when missing: `order` lists the local names
    // of the parent's children as the schema sequences them.
    pugi::xml_node ensure_child(pugi::xml_node node, std::string_view local,
                                std::span<const std::string_view> order) const;
    // Throws TemplateError for a value that XML cannot hold.
    void set_attribute(pugi::xml_node node, std::string_view local, std::string_view value) const;

    const std::string& prefix() const { return prefix_; }

private:
    std::string prefix_;
    bool nested_bindings_ = false;
    bool default_is_word_ = false;
};

// Schema order of the children of w:rPr and w:pPr.
std::span<const std::string_view> run_properties_order();
std::span<const std::string_view> paragraph_properties_order();
// Schema order of the children of w:tblPr, w:trPr and w:tcPr.
std::span<const std::string_view> table_properties_order();
std::span<const std::string_view> row_properties_order();
std::span<const std::string_view> cell_properties_order();

}  // namespace docx_loom::detail
