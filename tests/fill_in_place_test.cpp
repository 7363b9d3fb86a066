// Paragraphs and cells that hold more than text are filled where the placeholder
// stands; everything else in them stays.
#include "docx_fixture.hpp"
#include "tools.hpp"

#include <gtest/gtest.h>

using docx_loom::Document;
using docx_loom::Pt;
using docx_loom::SetOptions;
using fixture::find_all_w;
using fixture::w_attr;

namespace {

std::string run(std::string_view text, std::string_view properties = "") {
    return "<w:r>" + (properties.empty() ? std::string() : "<w:rPr>" + std::string(properties) + "</w:rPr>") +
           "<w:t xml:space=\"preserve\">" + std::string(text) + "</w:t></w:r>";
}
const std::string kBookmark = "<w:bookmarkStart w:id=\"0\" w:name=\"here\"/><w:bookmarkEnd w:id=\"0\"/>";

struct RunView {
    std::string text;
    pugi::xml_node node;
};

// Each run below `node`, with the text it reads as (a page break as "|").
std::vector<RunView> runs(pugi::xml_node node) {
    std::vector<RunView> found;
    for (auto r : find_all_w(node, "r")) {
        std::string text;
        for (auto child : r.children()) {
            const std::string_view name = child.name();
            if (name == "w:t") text += child.text().get();
            if (name == "w:br") text += "|";
            if (name == "w:drawing") text += "[picture]";
        }
        found.push_back({text, r});
    }
    return found;
}

std::vector<std::string> texts(const std::vector<RunView>& views) {
    std::vector<std::string> result;
    for (const auto& view : views) result.push_back(view.text);
    return result;
}

bool has(pugi::xml_node run, std::string_view property) { return !find_all_w(run, property).empty(); }

}  // namespace

TEST(FillInPlace, TheValueTakesARunOfItsOwnAndTheRestKeepsItsRunsAndFormatting) {
    // The placeholder starts inside a bold run and ends inside an italic one.
    Document document = fixture::loaded("<w:p><w:pPr><w:jc w:val=\"left\"/></w:pPr>" + kBookmark +
                                         run("Dear $$$NA", "<w:b/>") + run("ME$$$", "<w:u w:val=\"single\"/>") +
                                         run("ME$$$, welcome", "<w:i/>") + "</w:p>");
    document.set("$$$NAME$$$", "Ms Lin",
                 SetOptions{.new_font_size = Pt(12), .new_alignment = "right", .left_indent = 12, .line_spacing = 14});
    document.execute_set();

    const auto p = document.doc->body().first_child();
    const auto found = runs(p);
    EXPECT_EQ(texts(found), (std::vector<std::string>{"Dear ", "Ms Lin", "ME$$$, welcome"}));
    EXPECT_TRUE(has(found[0].node, "b") && !has(found[0].node, "sz")) << "text before keeps its formatting only";
    EXPECT_TRUE(has(found[1].node, "b")) << "the value's run is a copy of the run that held the first character";
    EXPECT_EQ(w_attr(find_all_w(found[1].node, "sz").at(0), "val"), "24");
    EXPECT_EQ(w_attr(find_all_w(found[1].node, "rFonts").at(0), "eastAsia"), "標楷體");
    EXPECT_TRUE(has(found[2].node, "i") && !has(found[2].node, "sz"));
    EXPECT_TRUE(find_all_w(p, "u").empty()) << "the run that held only placeholder characters goes";
    EXPECT_EQ(find_all_w(p, "bookmarkStart").size(), 1u);
    // Only the runs change: the paragraph keeps its properties.
    EXPECT_EQ(w_attr(find_all_w(p, "jc").at(0), "val"), "left");
    EXPECT_TRUE(find_all_w(p, "ind").empty() && find_all_w(p, "spacing").empty());
}

TEST(FillInPlace, EveryOccurrencePageMarkersAndWhatCannotBeReplaced) {
    Document document = fixture::loaded("<w:p>" + kBookmark + run("[$$$X$$$] and [$$$X$$$]") +
                                        "<w:r><w:t>$$$</w:t><w:tab/><w:t>X$$$</w:t></w:r></w:p>");
    document.set("$$$X$$$", "a$$$page$$$b");
    document.execute_set();
    // A placeholder that a tab cuts in two is not text and stays.
    EXPECT_EQ(texts(runs(document.doc->body())),
              (std::vector<std::string>{"[", "a|", "b", "] and [", "a|", "b", "]", "$$$X$$$"}));
    EXPECT_EQ(document.doc->paragraphs().at(0).text(), "[ab] and [ab]$$$\tX$$$");
}

TEST(FillInPlace, CellsKeepTheirOtherContentAndGetRemarkAndPicture) {
    const std::string folder = tools::fresh_folder("in-place");
    fixture::write_file(folder + "seal.png", fixture::png_bytes(10, 10));
    const std::string nested = "<w:tbl><w:tr><w:tc><w:p>" + run("inner") + "</w:p></w:tc></w:tr></w:tbl><w:p/>";
    Document document = fixture::loaded("<w:tbl><w:tr><w:tc><w:p><w:pPr><w:jc w:val=\"right\"/></w:pPr>" + kBookmark +
                                        run("Sum: $$$S$$$ NT") + "</w:p>" +
                                        nested + "</w:tc></w:tr></w:tbl>");
    document.set("$$$S$$$", "12__remark__(tax)",
                 SetOptions{.remark_new_font_size = Pt(6), .image_path = folder + "seal.png", .image_height = 0.5,
                            .image_width = 0.5});
    document.set("NT", "dollars");
    document.execute_set();

    const auto cell = find_all_w(document.doc->body(), "tc").at(0);
    const auto found = runs(cell);
    EXPECT_EQ(texts(found), (std::vector<std::string>{"Sum: ", "12", "(tax)", "[picture]", " ", "dollars", "inner"}));
    EXPECT_EQ(w_attr(find_all_w(found[2].node, "sz").at(0), "val"), "12") << "the remark size";
    EXPECT_EQ(find_all_w(cell, "bookmarkStart").size(), 1u);
    EXPECT_EQ(find_all_w(cell, "tbl").size(), 1u) << "the nested table stays";
    EXPECT_EQ(find_all_w(cell, "drawing").size(), 1u) << "a second placeholder keeps the picture of the first";
    ASSERT_EQ(find_all_w(cell, "jc").size(), 1u);
    EXPECT_EQ(w_attr(find_all_w(cell, "jc").at(0), "val"), "right");
}

TEST(FillInPlace, ParagraphsAndCellsOfTextAloneAreStillRewritten) {
    // Tracked changes and proofing marks are not worth keeping: the rewrite accepts the
    // changes, moved-away text as deleted and moved-to text as inserted.
    Document document = fixture::loaded(
        "<w:p><w:proofErr w:type=\"spellStart\"/>" + run("$$$A$$$", "<w:b/>") + "<w:proofErr w:type=\"spellEnd\"/>"
        "<w:ins w:id=\"1\" w:author=\"a\">" + run(" new") + "</w:ins>"
        "<w:moveFrom w:id=\"2\" w:author=\"a\">" + run(" away") + "</w:moveFrom>"
        "<w:moveTo w:id=\"3\" w:author=\"a\">" + run(" here") + "</w:moveTo></w:p>"
        "<w:tbl><w:tr><w:tc><w:p>" + run("$$$A$$$") + "</w:p><w:p>" + run("second") + "</w:p></w:tc></w:tr></w:tbl>");
    EXPECT_TRUE(document.doc->paragraphs().at(0).holds_only_text());
    document.set("$$$A$$$", "1");
    document.execute_set();
    const auto body = document.doc->body();
    EXPECT_EQ(texts(runs(body)), (std::vector<std::string>{"1 new here", "1|second"}));
    EXPECT_TRUE(find_all_w(body, "proofErr").empty());
    EXPECT_TRUE(find_all_w(body, "ins").empty());
    EXPECT_TRUE(find_all_w(body, "moveFrom").empty());
    EXPECT_TRUE(find_all_w(body, "b").empty());
}

// Each occurrence read the whole paragraph again and a long run's text was copied on
// each cut: 8,000 occurrences took minutes. They are cut in one pass now.
TEST(FillInPlace, ManyOccurrencesInOneRunAndAcrossRunsAreReplacedInOnePass) {
    constexpr int kMany = 20000;
    std::string many;
    for (int i = 0; i < kMany; ++i) many += "{B}";
    Document document = fixture::loaded("<w:p>" + kBookmark + run("{B}{B} x {") + run("B}", "<w:b/>") +
                                        run(many + " end") + "</w:p><w:tbl><w:tr><w:tc><w:p>" + kBookmark +
                                        run("{B}") + "</w:p><w:p>" + run(many) + "</w:p></w:tc></w:tr></w:tbl>");
    document.set("{B}", "v");
    document.execute_set();

    const auto found = texts(runs(document.doc->body().first_child()));
    ASSERT_EQ(found.size(), 3 + kMany + 2u);
    EXPECT_EQ(std::vector<std::string>(found.begin(), found.begin() + 5),
              (std::vector<std::string>{"v", "v", " x ", "v", "v"}));
    EXPECT_EQ(found.back(), " end");
    EXPECT_EQ(document.doc->paragraphs().at(0).text(), "vv x v" + std::string(kMany, 'v') + " end");
    const auto cell = document.doc->tables().at(0).cell(0, 0);
    EXPECT_EQ(cell.text(), "v\n" + std::string(kMany, 'v'));
}
