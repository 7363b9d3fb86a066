// Page breaks are structure: no placeholder matches inside or across one, in fill or
// check. Line breaks, tabs and hyphens are text: a rewrite keeps them where they were,
// and text and check read them.
#include "docx_fixture.hpp"

#include <gtest/gtest.h>

using docx_loom::Document;
using fixture::find_all_w;

namespace {

std::string run(std::string_view inner) { return "<w:r>" + std::string(inner) + "</w:r>"; }
std::string t(std::string_view text) { return "<w:t xml:space=\"preserve\">" + std::string(text) + "</w:t>"; }
const std::string kPageBreak = run("<w:br w:type=\"page\"/>");

// The run children of a paragraph but w:rPr, w:t as its quoted text, others by name.
std::string layout(pugi::xml_node p) {
    std::string result;
    for (auto r : find_all_w(p, "r"))
        for (auto child : r.children()) {
            const std::string name = std::string(child.name()).substr(2);
            if (name != "rPr") result += name == "t" ? std::string("'") + child.text().get() + "'" : "<" + name + ">";
        }
    return result;
}

}  // namespace

TEST(FillBreaks, APlaceholderNeverMatchesInsideOrAcrossAPageBreak) {
    // Rewritten, filled in place (for its bookmark), and marker text the template writes.
    const std::string body = "<w:p>" + run(t("see page")) + kPageBreak + run(t("next")) + "</w:p><w:p>" +
                             "<w:bookmarkStart w:id=\"0\" w:name=\"b\"/><w:bookmarkEnd w:id=\"0\"/>" + run(t("A")) +
                             kPageBreak + run(t("B")) + "</w:p><w:p>" + run(t("literal $$$page$$$")) + "</w:p>";
    Document document = fixture::loaded(body);
    document.set("page", "leaf");
    document.set("A$$$page$$$B", "joined");
    const auto found = document.check_places();
    ASSERT_NE(found.find("page"), nullptr);
    EXPECT_EQ(found.find("page")->text, (std::vector<std::string>{"see page$$$page$$$next", "literal $$$page$$$"}));
    EXPECT_EQ(found.find("A$$$page$$$B"), nullptr);
    EXPECT_FALSE(document.place_texts().at(1).holds("A$$$page$$$B"));

    document.execute_set();
    const auto paragraphs = document.doc->paragraphs();
    EXPECT_EQ(layout(paragraphs[0].node()), "'see leaf'<br>'next'");
    EXPECT_EQ(layout(paragraphs[1].node()), "'A'<br>'B'");
    EXPECT_EQ(layout(paragraphs[2].node()), "'literal $$$leaf$$$'") << "marker text is text, as it always was";
}

TEST(FillBreaks, BreaksTabsAndHyphensStayWhereTheyWereAndFieldCodesAreNoTrackedChanges) {
    // A rewritten paragraph with a tracked change, and a table of contents line.
    const std::string tel = run("<w:br/>" + t("Tel") + "<w:tab/>" + t("02") + "<w:noBreakHyphen/>" + t("12") +
                                "<w:softHyphen/>" + t("34"));
    const std::string page_field = run("<w:fldChar w:fldCharType=\"begin\"/>") +
                                   run("<w:instrText xml:space=\"preserve\"> PAGEREF _Toc1 </w:instrText>") +
                                   run("<w:fldChar w:fldCharType=\"separate\"/>") + run(t("3")) +
                                   run("<w:fldChar w:fldCharType=\"end\"/>");
    Document document = fixture::loaded("<w:p>" + run(t("Name: $$$N$$$")) + tel + "<w:ins w:id=\"1\" w:author=\"a\">" +
                                        run(t(" new")) + "</w:ins></w:p><w:p>" + run(t("Chapter") + "<w:tab/>") +
                                        page_field + "</w:p>");
    EXPECT_EQ(document.get_accepted_text(document.doc->paragraphs().at(1)), "Chapter\t3");
    EXPECT_EQ(document.place_texts().at(1).text, "Chapter\t3");

    document.set("$$$N$$$", "Wang");
    document.execute_set();
    EXPECT_EQ(layout(document.doc->paragraphs().at(0).node()),
              "'Name: Wang'<br>'Tel'<tab>'02'<noBreakHyphen>'12'<softHyphen>'34 new'");
}
