// A text watermark stands behind the text of every page, through the headers the pages
// show, and changes nothing else of the layout.
#include "docx_fixture.hpp"
#include "tools.hpp"

#include <docx_loom/errors.hpp>
#include <docx_loom/word_document.hpp>
#include <pdf_press/pdf_press.hpp>
#include <platform/root_folder.hpp>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

namespace fs = std::filesystem;
using docx_loom::WordDocument;

namespace {

constexpr const char* kVml = "urn:schemas-microsoft-com:vml";
constexpr const char* kHeaderType = "application/vnd.openxmlformats-officedocument.wordprocessingml.header+xml";

std::string paragraph(const std::string& text) { return "<w:p><w:r><w:t>" + text + "</w:t></w:r></w:p>"; }
std::string page_break() { return R"(<w:p><w:r><w:br w:type="page"/></w:r></w:p>)"; }

// The texts of the WordArt shapes in `part` (their shape type has a text path too, without one).
std::vector<std::string> marks_in(const docx_loom::Package& package, const std::string& part) {
    pugi::xml_document xml;
    xml.load_string(package.part(part).c_str());
    std::vector<std::string> strings;
    for (auto path : fixture::find_all(xml, kVml, "textpath"))
        if (path.attribute("string")) strings.push_back(path.attribute("string").value());
    return strings;
}

// Each word and its box, as pdftotext places them.
std::string words_of(const std::string& pdf) {
    const std::string boxes = tools::run("pdftotext -bbox " + tools::quote(pdf) + " -").output;
    std::string words;
    std::istringstream lines(boxes);
    for (std::string line; std::getline(lines, line);)
        if (line.find("<word ") != std::string::npos) words += line + "\n";
    return words;
}

// Pixels of the page's middle third that are grey, neither white nor text-dark: the mark.
int grey_pixels_in_the_middle(const std::string& pgm) {
    std::ifstream in(pgm, std::ios::binary);
    std::string magic;
    int width = 0, height = 0, depth = 0;
    in >> magic >> width >> height >> depth;
    in.get();
    std::vector<unsigned char> pixels(static_cast<std::size_t>(width) * height);
    in.read(reinterpret_cast<char*>(pixels.data()), static_cast<std::streamsize>(pixels.size()));
    int grey = 0;
    for (int y = height / 3; y < 2 * height / 3; ++y)
        for (int x = width / 3; x < 2 * width / 3; ++x) {
            const int value = pixels[static_cast<std::size_t>(y) * width + x];
            grey += value > 150 && value < 245;
        }
    return grey;
}

}  // namespace

TEST(Watermark, StandsBehindEveryPageAndMovesNothing) {
    if (!tools::require("soffice", "libreoffice-writer-nogui") || !tools::require("pdftoppm", "poppler-utils")) return;
    const std::string body = paragraph("第一頁") + page_break() + paragraph("第二頁") + page_break() +
                             paragraph("第三頁") + fixture::kA4Section;
    const std::string folder = tools::fresh_folder("watermark");
    WordDocument plain = fixture::word_document(body);
    plain.save(platform::to_path(folder + "plain.docx"));
    WordDocument marked = fixture::word_document(body);
    marked.add_watermark("預覽", "標楷體");
    marked.save(platform::to_path(folder + "marked.docx"));

    // A header of the mark's own, related, typed and referenced by the section.
    const docx_loom::Package package = WordDocument::open(platform::to_path(folder + "marked.docx")).package();
    ASSERT_TRUE(package.has_part("word/header-watermark1.xml"));
    EXPECT_EQ(marks_in(package, "word/header-watermark1.xml"), std::vector<std::string>{"預覽"});
    EXPECT_NE(package.part("[Content_Types].xml").find(kHeaderType), std::string::npos);
    EXPECT_NE(package.part("word/_rels/document.xml.rels").find("header-watermark1.xml"), std::string::npos);
    pugi::xml_document main;
    main.load_string(package.part("word/document.xml").c_str());
    const auto references = fixture::find_all_w(main, "headerReference");
    ASSERT_EQ(references.size(), 1u);
    EXPECT_EQ(fixture::w_attr(references[0], "type"), "default");

    Pdf_Press press;
    for (const char* name : {"plain", "marked"})
        press.convert(folder + name + ".docx", folder + name + ".pdf", true);
    EXPECT_EQ(words_of(folder + "marked.pdf"), words_of(folder + "plain.pdf")) << "the mark moved the text";
    for (const char* name : {"plain", "marked"})
        tools::run("pdftoppm -gray -r 30 " + tools::quote(folder + name + ".pdf") + " " + tools::quote(folder + name));
    for (int page = 1; page <= 3; ++page) {
        const std::string number = "-" + std::to_string(page) + ".pgm";
        EXPECT_GT(grey_pixels_in_the_middle(folder + "marked" + number), 300) << "no mark on page " << page;
        EXPECT_LT(grey_pixels_in_the_middle(folder + "plain" + number), 30) << page;
    }
}

TEST(Watermark, HeadersThePagesShowCarryItAndKeepTheirText) {
    // Section 1 has a header of its own, which section 2 inherits; section 2's first page
    // (a title page) has no header of its kind anywhere before, and gets the mark's own.
    const std::string header = std::string(R"(<w:hdr )") + fixture::kStoryNamespaces + R"(>)" + paragraph("店名") +
                               "</w:hdr>";
    const std::string body = R"(<w:p><w:pPr><w:sectPr><w:headerReference w:type="default" r:id="rId1"/>)"
                             R"(<w:pgSz w:w="11906" w:h="16838"/></w:sectPr></w:pPr><w:r><w:t>一</w:t></w:r></w:p>)" +
                             paragraph("二") +
                             R"(<w:sectPr><w:pgSz w:w="11906" w:h="16838"/><w:titlePg/></w:sectPr>)";
    WordDocument document = WordDocument::from_package(docx_loom::Package::from_bytes(
        fixture::docx_bytes(body, fixture::related_parts({{"word/header1.xml", "header", kHeaderType, header}})),
        "sections"));
    document.add_watermark("DRAFT");
    const docx_loom::Package package = document.package();
    EXPECT_EQ(marks_in(package, "word/header1.xml"), std::vector<std::string>{"DRAFT"});
    EXPECT_NE(package.part("word/header1.xml").find("店名"), std::string::npos);
    EXPECT_EQ(marks_in(package, "word/header-watermark1.xml"), std::vector<std::string>{"DRAFT"});

    pugi::xml_document main;
    main.load_string(package.part("word/document.xml").c_str());
    std::vector<std::string> kinds;
    for (auto reference : fixture::find_all_w(main, "headerReference")) kinds.push_back(fixture::w_attr(reference, "type"));
    EXPECT_EQ(kinds, (std::vector<std::string>{"default", "first"})) << "section 2 keeps inheriting its default header";
}

TEST(Watermark, TextItCannotCarryChangesNothing) {
    WordDocument document = fixture::word_document(paragraph("x") + fixture::kA4Section);
    const std::string before = document.package().part("word/document.xml");
    for (const std::string bad : {std::string(), std::string("two\nlines"), std::string("bell\x07")})
        EXPECT_THROW(document.add_watermark(bad), docx_loom::TemplateError) << bad;
    for (const char* font : {"", "a\";color:red"}) EXPECT_THROW(document.add_watermark("預覽", font), docx_loom::TemplateError);
    EXPECT_EQ(document.package().part("word/document.xml"), before);
    EXPECT_FALSE(document.package().has_part("word/header-watermark1.xml"));
}
