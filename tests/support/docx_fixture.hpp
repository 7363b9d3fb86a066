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

// A valid, uncompressed PNG of the given size (grey pixels).
std::string png_bytes(int width, int height);
// The start of a baseline JPEG, enough for its size to be read.
std::string jpeg_header_bytes(int width, int height);
void write_file(const std::string& path, const std::string& bytes);
std::string read_file(const std::string& path);

}  // namespace fixture
