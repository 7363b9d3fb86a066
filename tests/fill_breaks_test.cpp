// Page breaks are structure: no placeholder matches inside or across one. Line breaks,
// tabs and hyphens are text: a paragraph rewritten from its text keeps them.
#include "docx_fixture.hpp"

#include <gtest/gtest.h>

using docx_loom::Document;
using docx_loom::TextReading;
using fixture::find_all_w;

namespace {

std::string run(std::string_view inner) { return "<w:r>" + std::string(inner) + "</w:r>"; }
std::string t(std::string_view text) { return "<w:t xml:space=\"preserve\">" + std::string(text) + "</w:t>"; }
const std::string kPageBreak = run("<w:br w:type=\"page\"/>");
const std::string kBookmark = "<w:bookmarkStart w:id=\"0\" w:name=\"here\"/><w:bookmarkEnd w:id=\"0\"/>";

// The local names of the run children of a paragraph, with the text of each w:t.
std::string layout(pugi::xml_node p) {
    std::string result;
    for (auto r : find_all_w(p, "r"))
        for (auto child : r.children()) {
            const std::string name = std::string(child.name()).substr(2);
            if (name == "rPr") continue;
            result += name == "t" ? std::string("'") + child.text().get() + "'" : "<" + name + ">";
        }
    return result;
}

}  // namespace

TEST(FillBreaks, APlaceholderNeverMatchesInsideOrAcrossAPageBreak) {
    const std::string body = "<w:p>" + run(t("see page")) + kPageBreak + run(t("next")) + "</w:p>" +  // rewritten
                             "<w:p>" + kBookmark + run(t("A")) + kPageBreak + run(t("B")) + "</w:p>" +  // in place
                             "<w:p>" + run(t("A")) + kPageBreak + run(t("B")) + "</w:p>" +
                             "<w:p>" + run(t("literal $$$page$$$ marker")) + "</w:p>";
    const auto plan = [](Document& document) {
        document.set("page", "leaf");
        document.set("A$$$page$$$B", "joined");
        document.set("$$$", "dollars");
    };
    Document checked = fixture::loaded(body);
    plan(checked);
    const auto found = checked.check_places();
    ASSERT_NE(found.find("page"), nullptr);
    EXPECT_EQ(found.find("page")->text,
              (std::vector<std::string>{"see page$$$page$$$next", "literal $$$page$$$ marker"}));
    EXPECT_EQ(found.find("A$$$page$$$B"), nullptr);
    ASSERT_NE(found.find("$$$"), nullptr);
    EXPECT_EQ(found.find("$$$")->text, (std::vector<std::string>{"literal $$$page$$$ marker"}));

    Document filled = fixture::loaded(body);
    plan(filled);
    filled.execute_set();
    const auto paragraphs = filled.doc->paragraphs();
    EXPECT_EQ(layout(paragraphs[0].node()), "'see leaf'<br>'next'");
    EXPECT_EQ(layout(paragraphs[1].node()), "'A'<br>'B'");
    EXPECT_EQ(layout(paragraphs[2].node()), "'A'<br>'B'");
    // Marker text written in the template is text, as it always was: placeholders are
    // replaced inside it.
    EXPECT_EQ(paragraphs[3].text(TextReading::full), "literal dollarsleafdollars marker");
}

TEST(FillBreaks, ARewrittenParagraphOrCellKeepsItsBreaksTabsAndHyphens) {
    const std::string tel = run("<w:br/>" + t("Tel") + "<w:tab/>" + t("02") + "<w:noBreakHyphen/>" + t("1234") +
                                "<w:softHyphen/>" + t("x"));
    Document document = fixture::loaded(
        "<w:p>" + run(t("Name: $$$N$$$")) + tel + "<w:ins w:id=\"1\" w:author=\"a\">" + run(t(" new")) +
        "</w:ins><w:del w:id=\"2\" w:author=\"a\">" + run("<w:delText>old</w:delText>") + "</w:del></w:p>" +
        "<w:tbl><w:tr><w:tc><w:p>" + run(t("Name: $$$N$$$")) + tel + "</w:p></w:tc></w:tr></w:tbl>");
    document.set("$$$N$$$", "Wang");
    document.execute_set();

    const auto p = document.doc->paragraphs().at(0);
    EXPECT_EQ(layout(p.node()), "'Name: Wang'<br>'Tel'<tab>'02'<noBreakHyphen>'1234'<softHyphen>'x new'");
    EXPECT_TRUE(find_all_w(p.node(), "ins").empty() && find_all_w(p.node(), "del").empty());
    EXPECT_EQ(layout(find_all_w(document.doc->body(), "tc").at(0)),
              "'Name: Wang'<br>'Tel'<tab>'02'<noBreakHyphen>'1234'<softHyphen>'x'");
}

TEST(FillBreaks, FieldCodesAreNotTrackedChangesAndKeepTheTabsOfTheirLine) {
    // A table of contents line: its tab stays in the text that text and check read.
    const std::string field = run("<w:fldChar w:fldCharType=\"begin\"/>") +
                              run("<w:instrText xml:space=\"preserve\"> PAGEREF _Toc1 \\h </w:instrText>") +
                              run("<w:fldChar w:fldCharType=\"separate\"/>") + run(t("3")) +
                              run("<w:fldChar w:fldCharType=\"end\"/>");
    Document document = fixture::loaded("<w:p>" + run(t("Chapter $$$C$$$") + "<w:tab/>") + field + "</w:p>");
    EXPECT_EQ(document.get_accepted_text(document.doc->paragraphs().at(0)), "Chapter $$$C$$$\t3");
    EXPECT_EQ(document.place_texts().at(0).text, "Chapter $$$C$$$\t3");

    document.set("$$$C$$$", "One");
    document.execute_set();
    const auto p = document.doc->paragraphs().at(0);
    EXPECT_EQ(p.text(), "Chapter One\t3");
    EXPECT_EQ(find_all_w(p.node(), "instrText").size(), 1u);
}
