#include "docx_fixture.hpp"

#include <platform/root_folder.hpp>

#include <array>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace fixture {
namespace {

constexpr const char* kContentTypes =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
    R"(<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">)"
    R"(<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>)"
    R"(<Default Extension="xml" ContentType="application/xml"/>)"
    R"(<Override PartName="/word/document.xml" ContentType="application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml"/>)"
    R"(</Types>)";

constexpr const char* kPackageRels =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
    R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
    R"(<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="word/document.xml"/>)"
    R"(</Relationships>)";

constexpr const char* kDocumentRels =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
    R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships"></Relationships>)";

void walk(pugi::xml_node node, std::string_view uri, std::string_view local, std::vector<pugi::xml_node>& found) {
    for (auto child : node.children()) {
        if (child.type() != pugi::node_element) continue;
        std::string_view name = child.name();
        const auto colon = name.find(':');
        const std::string prefix(colon == std::string_view::npos ? "" : name.substr(0, colon));
        const auto child_local = colon == std::string_view::npos ? name : name.substr(colon + 1);
        if (child_local == local) {
            const std::string declaration = prefix.empty() ? "xmlns" : "xmlns:" + prefix;
            for (auto n = child; n; n = n.parent())
                if (auto attr = n.attribute(declaration.c_str())) {
                    if (uri == attr.value()) found.push_back(child);
                    break;
                }
        }
        walk(child, uri, local, found);
    }
}

std::uint32_t crc32(std::string_view bytes) {
    static const auto table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    std::uint32_t c = 0xFFFFFFFFu;
    for (unsigned char b : bytes) c = table[(c ^ b) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

void put32(std::string& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((v >> shift) & 0xFF);
}

void put16le(std::string& out, std::uint32_t v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
}

void put32le(std::string& out, std::uint32_t v) {
    put16le(out, v & 0xFFFF);
    put16le(out, v >> 16);
}

void chunk(std::string& png, std::string_view type, const std::string& data) {
    put32(png, static_cast<std::uint32_t>(data.size()));
    std::string body(type);
    body += data;
    png += body;
    put32(png, crc32(body));
}

}  // namespace

std::string docx_bytes_with_document(std::string_view document_xml, const Parts& extra_parts) {
    docx_loom::Package package;
    package.set_part("[Content_Types].xml", kContentTypes);
    package.set_part("_rels/.rels", kPackageRels);
    package.set_part("word/document.xml", std::string(document_xml));
    package.set_part("word/_rels/document.xml.rels", kDocumentRels);
    for (const auto& [name, bytes] : extra_parts) package.set_part(name, bytes);
    return package.save_to_bytes();
}

std::string docx_bytes(std::string_view body_xml, const Parts& extra_parts) {
    std::string document =
        R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
        R"(<w:document xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main" )"
        R"(xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships"><w:body>)";
    document += body_xml;
    document += "</w:body></w:document>";
    return docx_bytes_with_document(document, extra_parts);
}

docx_loom::WordDocument word_document(std::string_view body_xml) {
    return docx_loom::WordDocument::from_package(docx_loom::Package::from_bytes(docx_bytes(body_xml), "fixture.docx"));
}

docx_loom::Document loaded(std::string_view body_xml) {
    docx_loom::Document document;
    document.doc = word_document(body_xml);
    return document;
}

docx_loom::Document loaded(std::string_view body_xml, const Parts& extra_parts) {
    docx_loom::Document document;
    document.doc = docx_loom::WordDocument::from_package(
        docx_loom::Package::from_bytes(docx_bytes(body_xml, extra_parts), "fixture.docx"));
    return document;
}

Parts styles_part(std::string_view styles_xml) {
    std::string content_types = kContentTypes;
    content_types.insert(content_types.rfind("</Types>"),
                         R"(<Override PartName="/word/styles.xml" ContentType="application/vnd.openxmlformats-officedocument.wordprocessingml.styles+xml"/>)");
    std::string styles =
        R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
        R"(<w:styles xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main">)";
    styles += styles_xml;
    styles += "</w:styles>";
    return {{"[Content_Types].xml", content_types},
            {"word/_rels/document.xml.rels",
             R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
             R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
             R"(<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles" Target="styles.xml"/>)"
             R"(</Relationships>)"},
            {"word/styles.xml", styles}};
}

Parts related_parts(const std::vector<Related>& related) {
    std::string content_types = kContentTypes;
    std::string overrides = R"(<Default Extension="png" ContentType="image/png"/>)";
    std::string relationships =
        R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
        R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)";
    Parts parts;
    int id = 0;
    for (const auto& part : related) {
        if (!part.content_type.empty())
            overrides += R"(<Override PartName="/)" + part.name + R"(" ContentType=")" + part.content_type + R"("/>)";
        relationships += R"(<Relationship Id="rId)" + std::to_string(++id) +
                         R"(" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/)" +
                         part.relationship_type + R"(" Target=")" + part.name.substr(5) + R"("/>)";
        parts.emplace_back(part.name, part.bytes);
    }
    content_types.insert(content_types.rfind("</Types>"), overrides);
    parts.emplace_back("[Content_Types].xml", content_types);
    parts.emplace_back("word/_rels/document.xml.rels", relationships + "</Relationships>");
    return parts;
}

std::string table_grid_style(std::string_view style_id) {
    std::string borders;
    for (const char* side : {"top", "left", "bottom", "right", "insideH", "insideV"})
        borders += std::string("<w:") + side + R"( w:val="single" w:sz="4" w:space="0" w:color="auto"/>)";
    return R"(<w:style w:type="table" w:styleId=")" + std::string(style_id) +
           R"("><w:name w:val="Table Grid"/><w:tblPr><w:tblBorders>)" + borders +
           R"(</w:tblBorders><w:tblCellMar><w:left w:w="108" w:type="dxa"/><w:right w:w="108" w:type="dxa"/>)"
           R"(</w:tblCellMar></w:tblPr></w:style>)";
}

std::vector<pugi::xml_node> find_all(pugi::xml_node node, std::string_view uri, std::string_view local) {
    std::vector<pugi::xml_node> found;
    walk(node, uri, local, found);
    return found;
}

std::vector<pugi::xml_node> find_all_w(pugi::xml_node node, std::string_view local) {
    return find_all(node, kW, local);
}

std::string w_attr(pugi::xml_node node, std::string_view local) {
    for (auto attr : node.attributes()) {
        std::string_view name = attr.name();
        const auto colon = name.find(':');
        if (colon == std::string_view::npos || name.substr(colon + 1) != local) continue;
        const std::string declaration = "xmlns:" + std::string(name.substr(0, colon));
        for (auto n = node; n; n = n.parent())
            if (auto decl = n.attribute(declaration.c_str())) {
                if (std::string_view(decl.value()) == kW) return attr.value();
                break;
            }
    }
    return {};
}

pugi::xml_node body(const docx_loom::WordDocument& doc) { return doc.body(); }

std::string handmade_zip(const std::vector<ZipEntry>& entries) {
    std::string zip, directory;
    for (const auto& entry : entries) {
        std::string extra;
        if (!entry.unicode_name.empty()) {
            put16le(extra, 0x7075);
            put16le(extra, static_cast<std::uint32_t>(5 + entry.unicode_name.size()));
            extra += '\x01';
            put32le(extra, crc32(entry.name));
            extra += entry.unicode_name;
        }
        const std::string& local_name = entry.local_name.empty() ? entry.name : entry.local_name;
        const auto offset = static_cast<std::uint32_t>(zip.size());
        const auto common = [&](std::string& out, const std::string& name) {
            put16le(out, 20);  // version needed
            put16le(out, 0);   // flags
            put16le(out, 0);   // stored
            put32le(out, 0);   // time and date
            put32le(out, crc32(entry.bytes));
            put32le(out, static_cast<std::uint32_t>(entry.bytes.size()));
            put32le(out, static_cast<std::uint32_t>(entry.bytes.size()));
            put16le(out, static_cast<std::uint32_t>(name.size()));
            put16le(out, static_cast<std::uint32_t>(extra.size()));
        };
        zip += "PK\x03\x04";
        common(zip, local_name);
        zip += local_name + extra + entry.bytes;

        directory += "PK\x01\x02";
        put16le(directory, 20);  // version made by
        common(directory, entry.name);
        put16le(directory, 0);  // comment
        put16le(directory, 0);  // disk
        put16le(directory, 0);  // internal attributes
        put32le(directory, 0);  // external attributes
        put32le(directory, offset);
        directory += entry.name + extra;
    }
    const auto directory_offset = static_cast<std::uint32_t>(zip.size());
    zip += directory;
    zip += "PK\x05\x06";
    put32le(zip, 0);  // disks
    put16le(zip, static_cast<std::uint32_t>(entries.size()));
    put16le(zip, static_cast<std::uint32_t>(entries.size()));
    put32le(zip, static_cast<std::uint32_t>(directory.size()));
    put32le(zip, directory_offset);
    put16le(zip, 0);  // comment
    return zip;
}

Parts docx_parts(std::string_view body_xml) {
    const auto package = docx_loom::Package::from_bytes(docx_bytes(body_xml), "parts");
    Parts parts;
    for (const auto& name : package.part_names()) parts.emplace_back(name, package.part(name));
    return parts;
}

std::string png_bytes(int width, int height) {
    std::string png = "\x89PNG\r\n\x1a\n";
    std::string header;
    put32(header, static_cast<std::uint32_t>(width));
    put32(header, static_cast<std::uint32_t>(height));
    header += std::string("\x08\x00\x00\x00\x00", 5);  // 8-bit greyscale
    chunk(png, "IHDR", header);

    // Stored (uncompressed) deflate blocks of filter byte 0 + grey pixels per row.
    std::string raw;
    for (int y = 0; y < height; ++y) raw += '\0' + std::string(static_cast<std::size_t>(width), '\x80');
    std::string zlib = "\x78\x01";
    for (std::size_t at = 0; at < raw.size() || at == 0;) {
        const std::size_t n = std::min<std::size_t>(65535, raw.size() - at);
        const bool last = at + n >= raw.size();
        zlib += static_cast<char>(last ? 1 : 0);
        zlib += static_cast<char>(n & 0xFF);
        zlib += static_cast<char>(n >> 8);
        zlib += static_cast<char>(~n & 0xFF);
        zlib += static_cast<char>((~n >> 8) & 0xFF);
        zlib += raw.substr(at, n);
        at += n;
        if (last) break;
    }
    std::uint32_t a = 1, b = 0;
    for (unsigned char c : raw) a = (a + c) % 65521, b = (b + a) % 65521;
    put32(zlib, (b << 16) | a);
    chunk(png, "IDAT", zlib);
    chunk(png, "IEND", "");
    return png;
}

std::string jpeg_header_bytes(int width, int height) {
    std::string jpeg = "\xFF\xD8";
    // SOF0: length 11, precision 8, height, width, one component.
    jpeg += std::string("\xFF\xC0\x00\x0B\x08", 5);
    jpeg += static_cast<char>(height >> 8);
    jpeg += static_cast<char>(height & 0xFF);
    jpeg += static_cast<char>(width >> 8);
    jpeg += static_cast<char>(width & 0xFF);
    jpeg += std::string("\x01\x01\x11\x00", 4);
    jpeg += "\xFF\xD9";
    return jpeg;
}

void write_file(const std::string& path, const std::string& bytes) {
    std::ofstream out(platform::to_path(path), std::ios::binary | std::ios::trunc);
    if (!out) throw std::runtime_error("cannot write " + path);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string read_file(const std::string& path) {
    std::ifstream in(platform::to_path(path), std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace fixture
