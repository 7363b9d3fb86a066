// The fill visits every place a template author can write a placeholder in: the body,
// headers, footers, footnotes, endnotes, text boxes, content controls, nested tables.
#include "docx_fixture.hpp"
#include "tools.hpp"

#include <gtest/gtest.h>

using docx_loom::Document;
using docx_loom::Package;
using docx_loom::SetOptions;
using fixture::find_all_w;

namespace {

const std::string kHeader = "application/vnd.openxmlformats-officedocument.wordprocessingml.header+xml";
const std::string kFooter = "application/vnd.openxmlformats-officedocument.wordprocessingml.footer+xml";

std::string p(const std::string& text) { return "<w:p><w:r><w:t xml:space=\"preserve\">" + text + "</w:t></w:r></w:p>"; }
std::string story(const std::string& root, const std::string& inner) {
    return "<w:" + root + " " + fixture::kStoryNamespaces + ">" + inner + "</w:" + root + ">";
}
std::string table(const std::string& cells) { return "<w:tbl><w:tr>" + cells + "</w:tr></w:tbl>"; }
std::string cell(const std::string& inner) { return "<w:tc>" + inner + "</w:tc>"; }

std::string text_box(const std::string& inner) {
    const std::string content = "<w:txbxContent>" + inner + "</w:txbxContent>";
    return "<w:r><mc:AlternateContent><mc:Choice Requires=\"wps\"><w:drawing><wps:txbx>" + content +
           "</wps:txbx></w:drawing></mc:Choice><mc:Fallback><w:pict><v:textbox>" + content +
           "</v:textbox></w:pict></mc:Fallback></mc:AlternateContent></w:r>";
}

Document loaded(const std::string& body, const fixture::Parts& parts) {
    Document document;
    document.doc = docx_loom::WordDocument::from_package(Package::from_bytes(
        fixture::docx_bytes_with_document(story("document", "<w:body>" + body + "</w:body>"), parts), "t.docx"));
    return document;
}

std::string text_of(const docx_loom::Place& place) { return place.paragraph ? place.paragraph.text() : place.cell.text(); }

}  // namespace

TEST(FillPlaces, PlacesAreListedInDocumentOrderWithTheirPart) {
    const auto parts = fixture::related_parts(
        {{"word/header1.xml", "header", kHeader, story("hdr", p("head") + table(cell(p("head cell"))))}});
    Document document = loaded(
        "<w:p><w:r><w:t>first</w:t></w:r>" + text_box(p("in box") + table(cell(p("box cell")))) + "</w:p>" +
            "<w:sdt><w:sdtContent>" + p("in control") + "</w:sdtContent></w:sdt>" +
            "<w:tbl><w:tr><w:tc><w:tcPr><w:gridSpan w:val=\"2\"/></w:tcPr>" + p("wide") +
            table(cell(p("nested"))) + "<w:p>" + text_box(p("cell box")) + "</w:p></w:tc></w:tr></w:tbl>" + p("last"),
        parts);

    std::vector<std::string> listed;
    for (const auto& place : document.doc->places())
        listed.push_back(place.part.substr(5) + (place.fallback ? " fallback " : " ") + text_of(place));
    EXPECT_EQ(listed, (std::vector<std::string>{
                          "document.xml first", "document.xml in box", "document.xml box cell",
                          "document.xml fallback in box", "document.xml fallback box cell", "document.xml in control",
                          "document.xml wide\n", "document.xml nested", "document.xml cell box",
                          "document.xml fallback cell box", "document.xml last",
                          "header1.xml head", "header1.xml head cell"}));
}

// The corpus test fills each kind of place; these are what it does not look at.
TEST(FillPlaces, PicturesInAHeaderAreItsOwnAndUntouchedPartsKeepTheirBytes) {
    const std::string folder = tools::fresh_folder("places");
    fixture::write_file(folder + "logo.png", fixture::png_bytes(20, 10));
    const std::string footer = story("ftr", p("no placeholder")) + "  \n";
    const auto parts = fixture::related_parts(
        {{"word/header1.xml", "header", kHeader, story("hdr", table(cell(p("$$$LOGO$$$"))))},
         {"word/footer1.xml", "footer", kFooter, footer}});
    Document document = loaded(table(cell(p("Outer") + table(cell(p("Inner $$$X$$$"))) + "<w:p/>")), parts);
    document.set("$$$X$$$", "done");
    document.set("$$$LOGO$$$", "", SetOptions{.image_path = folder + "logo.png", .image_height = 1, .image_width = 1});
    document.execute_set();

    const Package saved = Package::from_bytes(document.doc->save_to_bytes(), "saved");
    EXPECT_NE(saved.part("word/document.xml").find(">Inner done<"), std::string::npos) << "a nested table's own cell";
    EXPECT_EQ(saved.part("word/footer1.xml"), footer);
    ASSERT_TRUE(saved.has_part("word/_rels/header1.xml.rels"));
    EXPECT_NE(saved.part("word/_rels/header1.xml.rels").find("Target=\"media/image1.png\""), std::string::npos);
    EXPECT_EQ(saved.part("word/_rels/document.xml.rels").find("image"), std::string::npos);
    EXPECT_EQ(saved.part("word/media/image1.png"), fixture::png_bytes(20, 10));
    EXPECT_NE(saved.part("word/header1.xml").find("r:embed=\"rId1\""), std::string::npos);
}

TEST(FillPlaces, RowsAndCellsInContentControlsAreCellsOfTheirTable) {
    // The corpus test fills them; text and check list them in document order.
    const std::string control = "<w:sdt><w:sdtPr><w:alias w:val=\"Item\"/></w:sdtPr><w:sdtContent>";
    const std::string end = "</w:sdtContent></w:sdt>";
    Document document = loaded("<w:tbl><w:tr>" + cell(p("first {X}")) + "</w:tr>" + control + "<w:tr>" +
                                   cell(p("row {X}")) + "</w:tr>" + end + "<w:tr>" + control + cell(p("cell {X}")) +
                                   end + cell(p("last {X}")) + "</w:tr></w:tbl>",
                               {});
    document.set("{X}", "x");
    const std::vector<std::string> texts = {"first {X}", "row {X}", "cell {X}", "last {X}"};
    std::vector<std::string> listed;
    for (const auto& place : document.place_texts()) listed.push_back(place.text);
    EXPECT_EQ(listed, texts);
    ASSERT_NE(document.check_places().find("{X}"), nullptr);
    EXPECT_EQ(document.check_places().find("{X}")->text, texts);
}
