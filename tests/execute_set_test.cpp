#include "docx_fixture.hpp"

#include <docx_loom/errors.hpp>

#include <gtest/gtest.h>

using docx_loom::Document;
using docx_loom::Pt;
using docx_loom::SetOptions;
using fixture::find_all_w;
using fixture::w_attr;

namespace {

std::string run_xml(std::string_view text) {
    return "<w:r><w:t xml:space=\"preserve\">" + std::string(text) + "</w:t></w:r>";
}
std::string paragraph_xml(std::string_view runs) { return "<w:p>" + std::string(runs) + "</w:p>"; }
std::string cell_xml(std::string_view text) { return "<w:tc>" + paragraph_xml(run_xml(text)) + "</w:tc>"; }

pugi::xml_node body_of(const Document& document) { return document.doc->body(); }

std::vector<std::string> run_texts(pugi::xml_node p) {
    std::vector<std::string> texts;
    for (auto r : find_all_w(p, "r")) {
        std::string text;
        for (auto t : find_all_w(r, "t")) text += t.text().get();
        texts.push_back(text);
    }
    return texts;
}

}  // namespace

TEST(ExecuteSet, LeavesDocumentUntouchedWithoutPlaceholders) {
    const std::string body = paragraph_xml("<w:ins w:id=\"1\" w:author=\"a\">" + run_xml("kept") + "</w:ins>") +
                             "<w:tbl><w:tr>" + cell_xml("cell") + "</w:tr></w:tbl>";
    Document empty_plan = fixture::loaded(body);
    const std::string before = empty_plan.doc->save_to_bytes();
    empty_plan.execute_set();
    EXPECT_EQ(empty_plan.doc->package().part("word/document.xml"),
              fixture::loaded(body).doc->package().part("word/document.xml"));

    Document absent = fixture::loaded(body);
    absent.set("$$$X$$$", "nothing");
    absent.execute_set();
    EXPECT_EQ(absent.doc->package().part("word/document.xml"), empty_plan.doc->package().part("word/document.xml"));
}

TEST(ExecuteSet, RebuildsBodyParagraphWithEntryFormatting) {
    // The placeholder is split over runs, as Word often stores typed text.
    Document document = fixture::loaded(paragraph_xml(run_xml("Total: P") + "<w:r><w:rPr><w:b/></w:rPr><w:t>1</w:t></w:r>" +
                                                      run_xml(" in cash")));
    document.set("P1", "12");
    document.execute_set();

    auto p = find_all_w(body_of(document), "p").at(0);
    EXPECT_EQ(run_texts(p), std::vector<std::string>{"Total: 12 in cash"});
    auto r = find_all_w(p, "r").at(0);
    EXPECT_EQ(w_attr(find_all_w(r, "rFonts").at(0), "ascii"), "Calibri");
    EXPECT_EQ(w_attr(find_all_w(r, "rFonts").at(0), "hAnsi"), "Calibri");
    EXPECT_EQ(w_attr(find_all_w(r, "rFonts").at(0), "eastAsia"), "標楷體");
    EXPECT_EQ(w_attr(find_all_w(r, "sz").at(0), "val"), "16");
    EXPECT_TRUE(find_all_w(r, "b").empty());
    EXPECT_EQ(w_attr(find_all_w(p, "jc").at(0), "val"), "center");
}

TEST(ExecuteSet, PageMarkersBecomeBreaksAndExistingBreaksSurvive) {
    Document document = fixture::loaded(paragraph_xml(run_xml("A") + "<w:r><w:br w:type=\"page\"/></w:r>" + run_xml("B $$$X$$$")));
    document.set("$$$X$$$", "one$$$page$$$two$$$page$$$three");
    document.execute_set();

    auto p = find_all_w(body_of(document), "p").at(0);
    EXPECT_EQ(run_texts(p), (std::vector<std::string>{"A", "B one", "two", "three"}));
    const auto runs = find_all_w(p, "r");
    for (std::size_t i = 0; i < runs.size(); ++i) {
        const auto breaks = find_all_w(runs[i], "br");
        ASSERT_EQ(breaks.size(), i + 1 < runs.size() ? 1u : 0u) << "run " << i;
        if (!breaks.empty()) {
            EXPECT_EQ(w_attr(breaks[0], "type"), "page");
            EXPECT_EQ(breaks[0].previous_sibling().name(), std::string("w:t")) << "the break follows the text";
        }
    }
}

TEST(ExecuteSet, TrackedChangesAreAcceptedWhenRebuilt) {
    Document document = fixture::loaded(paragraph_xml(
        run_xml("Dear ") + "<w:ins w:id=\"1\" w:author=\"a\">" + run_xml("$$$N$$$") + "</w:ins>" +
        "<w:del w:id=\"2\" w:author=\"a\"><w:r><w:delText>Sir</w:delText></w:r></w:del>"));
    document.set("$$$N$$$", "Ms Lin");
    document.execute_set();
    auto p = find_all_w(body_of(document), "p").at(0);
    EXPECT_EQ(run_texts(p), std::vector<std::string>{"Dear Ms Lin"});
    EXPECT_TRUE(find_all_w(p, "ins").empty());
    EXPECT_TRUE(find_all_w(p, "del").empty());
}

TEST(ExecuteSet, EveryOccurrenceInOneParagraphOrCellIsReplaced) {
    Document document = fixture::loaded(paragraph_xml(run_xml("$$$A$$$ and $$$A$$$ end")) + "<w:tbl><w:tr>" +
                                        cell_xml("x$$$A$$$y$$$A$$$z") + "</w:tr></w:tbl>");
    document.set("$$$A$$$", "1");
    document.execute_set();
    const auto paragraphs = find_all_w(body_of(document), "p");
    EXPECT_EQ(run_texts(paragraphs.at(0)), std::vector<std::string>{"1 and 1 end"});
    EXPECT_EQ(run_texts(paragraphs.at(1)), std::vector<std::string>{"x1y1z"});
}

TEST(ExecuteSet, OptionsReachRunsAndParagraphs) {
    Document document = fixture::loaded(paragraph_xml(
        "<w:pPr><w:pStyle w:val=\"Title\"/><w:rPr><w:b/></w:rPr></w:pPr>" + run_xml("$$$X$$$")));
    document.set("$$$X$$$", "text", SetOptions{.new_font_name = "Arial",
                                               .new_font_name_Chinese = "新細明體",
                                               .new_font_size = Pt(12),
                                               .new_alignment = "right",
                                               .left_indent = 10,
                                               .line_spacing = 15.5,
                                               .font_color = docx_loom::Rgb{255, 0, 16}});
    document.execute_set();
    auto p = find_all_w(body_of(document), "p").at(0);
    auto ppr = find_all_w(p, "pPr").at(0);
    // Schema order inside w:pPr: pStyle, spacing, ind, jc, rPr.
    std::vector<std::string> order;
    for (auto child : ppr.children()) order.push_back(child.name());
    EXPECT_EQ(order, (std::vector<std::string>{"w:pStyle", "w:spacing", "w:ind", "w:jc", "w:rPr"}));
    EXPECT_EQ(w_attr(find_all_w(ppr, "ind").at(0), "left"), "200");
    EXPECT_EQ(w_attr(find_all_w(ppr, "spacing").at(0), "line"), "310");
    EXPECT_EQ(w_attr(find_all_w(ppr, "spacing").at(0), "lineRule"), "exact");
    EXPECT_EQ(w_attr(find_all_w(ppr, "jc").at(0), "val"), "right");

    auto r = find_all_w(p, "r").at(0);
    auto rpr = find_all_w(r, "rPr").at(0);
    EXPECT_EQ(r.first_child(), rpr);
    std::vector<std::string> run_order;
    for (auto child : rpr.children()) run_order.push_back(child.name());
    EXPECT_EQ(run_order, (std::vector<std::string>{"w:rFonts", "w:color", "w:sz"}));
    EXPECT_EQ(w_attr(find_all_w(rpr, "color").at(0), "val"), "FF0010");
    EXPECT_EQ(w_attr(find_all_w(rpr, "sz").at(0), "val"), "24");
    EXPECT_EQ(w_attr(find_all_w(rpr, "rFonts").at(0), "eastAsia"), "新細明體");
}

TEST(ExecuteSet, ValuesOutOfRangeFailTheCall) {
    struct Case {
        const char* what;
        SetOptions options;
        const char* message;
    };
    const Case cases[] = {
        {"colour component", SetOptions{.font_color = docx_loom::Rgb{300, 0, 0}}, "300"},
        {"alignment", SetOptions{.new_alignment = "middle"}, "middle"},
        {"size", SetOptions{.new_font_size = Pt(0)}, "new_font_size 0 is not a number of points from 0.5 to 3276"},
    };
    for (const auto& c : cases) {
        Document document = fixture::loaded(paragraph_xml(run_xml("$$$X$$$")));
        document.set("$$$X$$$", "v", c.options);
        try {
            document.execute_set();
            ADD_FAILURE() << c.what << " was accepted";
        } catch (const docx_loom::TemplateError& error) {
            EXPECT_NE(std::string(error.what()).find(c.message), std::string::npos) << error.what();
        }
    }
}

TEST(ExecuteSet, CellsGetOneRunAndRemarkRun) {
    Document document = fixture::loaded("<w:tbl><w:tr><w:tc><w:tcPr><w:tcW w:w=\"100\"/></w:tcPr>"
                                        "<w:p><w:pPr><w:jc w:val=\"left\"/></w:pPr>" + run_xml("$$$D1$$$") +
                                        "</w:p><w:p>" + run_xml("second") + "</w:p></w:tc></w:tr></w:tbl>");
    document.set("$$$D1$$$", "A__remark__B", SetOptions{.new_font_size = Pt(12), .remark_new_font_size = Pt(7)});
    document.execute_set();

    auto tc = find_all_w(body_of(document), "tc").at(0);
    EXPECT_EQ(find_all_w(tc, "tcPr").size(), 1u) << "cell properties stay";
    const auto paragraphs = find_all_w(tc, "p");
    ASSERT_EQ(paragraphs.size(), 1u);
    // The line feed between the old paragraphs becomes a line break in the remark run.
    EXPECT_EQ(run_texts(paragraphs[0]), (std::vector<std::string>{"A", "Bsecond"}));
    const auto runs = find_all_w(paragraphs[0], "r");
    EXPECT_EQ(find_all_w(runs[1], "br").size(), 1u);
    EXPECT_EQ(w_attr(find_all_w(runs[0], "sz").at(0), "val"), "24");
    EXPECT_EQ(w_attr(find_all_w(runs[1], "sz").at(0), "val"), "14");
    EXPECT_EQ(w_attr(find_all_w(runs[1], "rFonts").at(0), "eastAsia"), "標楷體");
    EXPECT_EQ(w_attr(find_all_w(paragraphs[0], "jc").at(0), "val"), "center");
}

// Visited once per grid column or per merged row, a cell whose replacement holds its
// own placeholder doubled on each visit: 42 columns made 2^42 copies.
TEST(ExecuteSet, MergedCellsAreFilledOnceHoweverManyColumnsAndRowsTheyCover) {
    const std::string bookmark = "<w:bookmarkStart w:id=\"1\" w:name=\"b\"/>";
    Document document = fixture::loaded(
        "<w:tbl><w:tr><w:tc><w:tcPr><w:gridSpan w:val=\"42\"/></w:tcPr>" + paragraph_xml(run_xml("{C}")) +
        "</w:tc><w:tc><w:tcPr><w:gridSpan w:val=\"3\"/></w:tcPr>" + paragraph_xml(bookmark + run_xml("{C}")) +
        "</w:tc></w:tr>"
        "<w:tr><w:tc><w:tcPr><w:vMerge w:val=\"restart\"/></w:tcPr>" + paragraph_xml(run_xml("{C}")) + "</w:tc>" +
        cell_xml("a") + "</w:tr>"
        "<w:tr><w:tc><w:tcPr><w:vMerge/></w:tcPr><w:p/></w:tc>" + cell_xml("b") + "</w:tr>"
        "<w:tr><w:tc><w:tcPr><w:vMerge w:val=\"continue\"/></w:tcPr><w:p/></w:tc>" + cell_xml("c") + "</w:tr></w:tbl>");
    document.set("{C}", "{C}{C}");
    EXPECT_EQ(document.place_texts().size(), 6u) << "each cell once; the continuations stand for the cell above";
    document.execute_set();

    const auto table = document.doc->tables().at(0);
    const auto first = table.rows()[0].cells();
    ASSERT_EQ(first.size(), 45u) << "rows still list a cell once per grid column";
    EXPECT_EQ(first[0].text(), "{C}{C}") << "spanning 42 columns, rewritten";
    EXPECT_EQ(first[44].text(), "{C}{C}") << "spanning 3 columns, filled in place";
    EXPECT_EQ(table.cell(3, 0), table.cell(1, 0)) << "a continuation stands for the cell it continues";
    EXPECT_EQ(table.cell(1, 0).text(), "{C}{C}");

    // Spans as large as an int add up past one: the grid counts on in 64 bits.
    Document wide = fixture::loaded("<w:tbl><w:tr><w:tc><w:tcPr><w:gridSpan w:val=\"2147483647\"/></w:tcPr>" +
                                    paragraph_xml(run_xml("{C}")) + "</w:tc><w:tc><w:tcPr><w:gridSpan w:val=\"2147483647\"/>"
                                    "</w:tcPr>" + paragraph_xml(run_xml("x")) + "</w:tc></w:tr></w:tbl>");
    wide.set("{C}", "{C}{C}");
    wide.execute_set();
    const auto wide_table = wide.doc->tables().at(0);
    EXPECT_EQ(wide_table.cell(0, 0).text(), "{C}{C}");
    EXPECT_EQ(wide_table.cell(0, 2147483647).text(), "x");
    try {
        wide_table.cell(0, -1);
        ADD_FAILURE() << "a column before the first was found";
    } catch (const docx_loom::Error& error) {
        EXPECT_NE(std::string(error.what()).find("it has 4294967294 grid columns"), std::string::npos) << error.what();
    }
}

// Each entry whose replacement holds the next placeholder twice doubled the text once
// more: 40 entries made a trillion copies.
TEST(ExecuteSet, PlaceholdersInReplacementTextsCannotMultiplyTheText) {
    constexpr int kEntries = 40;
    std::string text;
    for (int i = 0; i < kEntries; ++i) text += "{" + std::to_string(i) + "}";
    const std::string bookmark = "<w:bookmarkStart w:id=\"1\" w:name=\"b\"/>";
    Document document = fixture::loaded(paragraph_xml(run_xml(text)) + paragraph_xml(bookmark + run_xml(text)) +
                                        "<w:tbl><w:tr>" + cell_xml(text) + "<w:tc>" +
                                        paragraph_xml(bookmark + run_xml(text)) + "</w:tc></w:tr></w:tbl>");
    for (int i = 0; i < kEntries; ++i) {
        const std::string next = "{" + std::to_string(i + 1) + "}";
        document.set("{" + std::to_string(i) + "}", next + next);
    }
    document.execute_set();
    // Each entry replaces one occurrence, the first, as the place held one.
    const std::string filled = document.place_texts().at(0).text;
    EXPECT_TRUE(filled.starts_with("{40}{40}{39}{38}")) << filled.substr(0, 40);
    for (const auto& place : document.place_texts())
        EXPECT_LT(place.text.size(), 4 * text.size()) << place.text.substr(0, 80);

    Document chained = fixture::loaded(paragraph_xml(run_xml("A B")));
    chained.set("A", "BB");
    chained.set("B", "x");
    chained.execute_set();
    EXPECT_EQ(chained.place_texts().at(0).text, "xB B");
}

TEST(ExecuteSet, EmptyPlaceholderAndVanishedPlaceholderGiveTheValueAlone) {
    Document empty = fixture::loaded(paragraph_xml(run_xml("x")) + "<w:p/><w:tbl><w:tr><w:tc><w:p/></w:tc></w:tr></w:tbl>");
    empty.set("", "E");
    empty.execute_set();
    for (auto p : find_all_w(body_of(empty), "p")) EXPECT_EQ(run_texts(p), std::vector<std::string>{"E"});

    // $$$B$$$ is in the starting text, but the rebuild for " $$$B$$$" removed it.
    Document vanished = fixture::loaded(paragraph_xml(run_xml("$$$A$$$ $$$B$$$")));
    vanished.set(" $$$B$$$", "y");
    vanished.set("$$$B$$$", "alone");
    vanished.execute_set();
    EXPECT_EQ(run_texts(find_all_w(body_of(vanished), "p").at(0)), std::vector<std::string>{"alone"});
}

TEST(ExecuteSet, ReplacementTextIsNotSearchedAgainInTheSameCall) {
    Document document = fixture::loaded(paragraph_xml(run_xml("$$$A$$$")) + "<w:tbl><w:tr>" + cell_xml("$$$A$$$") +
                                        "</w:tr></w:tbl>");
    document.set("$$$A$$$", "$$$B$$$");
    document.set("$$$B$$$", "deeper");
    document.execute_set();
    for (auto p : find_all_w(body_of(document), "p")) EXPECT_EQ(run_texts(p), std::vector<std::string>{"$$$B$$$"});
    document.execute_set();  // the plan stays, so a second call goes on
    for (auto p : find_all_w(body_of(document), "p")) EXPECT_EQ(run_texts(p), std::vector<std::string>{"deeper"});
}

TEST(ExecuteSet, NeedsALoadedDocument) {
    Document document;
    EXPECT_THROW(document.execute_set(), docx_loom::AttributeMissing);
}
