#pragma once

#include <docx_loom/document.hpp>

#include <pugixml.hpp>

#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Builds .docx packages in memory from XML snippets, and reads results back by
// namespace URI.
namespace fixture {

inline constexpr const char* kW = "http://schemas.openxmlformats.org/wordprocessingml/2006/main";

using Parts = std::vector<std::pair<std::string, std::string>>;

// A minimal package whose document body holds `body_xml`, written with the w prefix
// (declared on the root, together with r, wp, a and pic unless `declarations` says
// otherwise).
std::string docx_bytes(std::string_view body_xml, const Parts& extra_parts = {});
// The same package with a root element of the caller's making.
std::string docx_bytes_with_document(std::string_view document_xml, const Parts& extra_parts = {});

docx_loom::WordDocument word_document(std::string_view body_xml);
// A Document whose doc is loaded from the body, without touching the disk.
docx_loom::Document loaded(std::string_view body_xml);
docx_loom::Document loaded(std::string_view body_xml, const Parts& extra_parts);

// A styles part holding `styles_xml` (w:style elements), with the relationship and
// the content type that tie it to the main part; for docx_bytes' extra parts.
Parts styles_part(std::string_view styles_xml);
// The table style named "Table Grid", drawing every border, under `style_id`.
std::string table_grid_style(std::string_view style_id = "TableGrid");
// A part that the main document part relates to: a header, footer, footnotes,
// endnotes or a picture. Parts without a content type are pictures, typed by extension.
struct Related {
    std::string name;               // e.g. "word/header1.xml"
    std::string relationship_type;  // the last word of the type URI: header, footer, footnotes, image…
    std::string content_type;
    std::string bytes;
};
// The parts, the main part's relationships to them (rId1, rId2… in the given order)
// and their content types; for docx_bytes' extra parts.
Parts related_parts(const std::vector<Related>& related);
// The namespace declarations of a story root (w, r, wp, a, pic, wps, mc, v).
inline constexpr const char* kStoryNamespaces =
    R"(xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main" )"
    R"(xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships" )"
    R"(xmlns:wp="http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing" )"
    R"(xmlns:a="http://schemas.openxmlformats.org/drawingml/2006/main" )"
    R"(xmlns:pic="http://schemas.openxmlformats.org/drawingml/2006/picture" )"
    R"(xmlns:wps="http://schemas.microsoft.com/office/word/2010/wordprocessingShape" )"
    R"(xmlns:mc="http://schemas.openxmlformats.org/markup-compatibility/2006" )"
    R"(xmlns:v="urn:schemas-microsoft-com:vml")";

// Final section properties of an A4 page with margins of one inch.
inline constexpr const char* kA4Section =
    R"(<w:sectPr><w:pgSz w:w="11906" w:h="16838"/>)"
    R"(<w:pgMar w:top="1440" w:right="1440" w:bottom="1440" w:left="1440" w:header="851" w:footer="992" w:gutter="0"/></w:sectPr>)";

// Elements in namespace `uri` named `local`, anywhere below `node`, in document order.
std::vector<pugi::xml_node> find_all(pugi::xml_node node, std::string_view uri, std::string_view local);
std::vector<pugi::xml_node> find_all_w(pugi::xml_node node, std::string_view local);
// The w:val-like attribute `local` in the WordprocessingML namespace.
std::string w_attr(pugi::xml_node node, std::string_view local);
// The body element of a document.
pugi::xml_node body(const docx_loom::WordDocument& doc);

// One entry of a zip written byte by byte, for names that libzip would not write.
struct ZipEntry {
    std::string name;
    std::string bytes;
    std::string local_name;    // in the local header; the central name when empty
    std::string unicode_name;  // an Info-ZIP Unicode-path field, when not empty
};
// A zip of stored (uncompressed) entries.
std::string handmade_zip(const std::vector<ZipEntry>& entries);
// The package parts of a minimal .docx whose body holds `body_xml`.
Parts docx_parts(std::string_view body_xml);

// A valid, uncompressed PNG of the given size (grey pixels).
std::string png_bytes(int width, int height);
// The start of a baseline JPEG, enough for its size to be read.
std::string jpeg_header_bytes(int width, int height);
void write_file(const std::string& path, const std::string& bytes);
std::string read_file(const std::string& path);

}  // namespace fixture
