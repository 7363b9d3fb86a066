#include "docx_fixture.hpp"
#include "tools.hpp"

#include <docx_loom/errors.hpp>

#include <gtest/gtest.h>

#include <algorithm>

using docx_loom::Document;
using fixture::find_all_w;
using fixture::w_attr;

namespace {

constexpr const char* kWp = "http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing";
const std::string kIntro = "<w:p><w:r><w:t>Report</w:t></w:r></w:p>";

// Twentieths of a point of the lengths the entry uses.
constexpr const char* k2Cm = "1134";
constexpr const char* k12_2Cm = "6917";

Document with_styles(const std::string& styles_xml) {
    return fixture::loaded(kIntro + fixture::kA4Section, fixture::styles_part(styles_xml));
}

// Word names its built-in styles by id in the user's language; the name is what counts.
Document template_with_grid() { return with_styles(fixture::table_grid_style("a3")); }

std::vector<std::string> tcw(pugi::xml_node tr) {
    std::vector<std::string> widths;
    for (auto tc : find_all_w(tr, "tc")) widths.push_back(w_attr(find_all_w(tc, "tcW").at(0), "w"));
    return widths;
}

bool is_page_break_paragraph(pugi::xml_node node) {
    const auto breaks = find_all_w(node, "br");
    return std::string_view(node.name()) == "w:p" && breaks.size() == 1 && w_attr(breaks[0], "type") == "page";
}

int page_breaks(pugi::xml_node node) {
    const auto breaks = find_all_w(node, "br");
    return int(std::count_if(breaks.begin(), breaks.end(), [](auto br) { return w_attr(br, "type") == "page"; }));
}

std::string picture(const std::string& name, const std::string& bytes) {
    const std::string path = tools::fresh_folder("table-pictures") + name;
    fixture::write_file(path, bytes);
    return path;
}

}  // namespace

TEST(TableBuilder, DefaultEntryLayout) {
    Document document = template_with_grid();
    testing::internal::CaptureStdout();
    document._add_table("A device.", 12345, "Title");
    document._add_table("second");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");

    const auto body = document.doc->body();
    std::vector<std::string> order;
    for (auto child : body.children()) order.push_back(child.name());
    EXPECT_EQ(order, (std::vector<std::string>{"w:p", "w:tbl", "w:p", "w:tbl", "w:p", "w:sectPr"}));
    for (auto tbl : find_all_w(body, "tbl")) EXPECT_TRUE(is_page_break_paragraph(tbl.next_sibling()));
    EXPECT_EQ(document.doc->tables().at(1).cell(2, 0).text(), "摘要：\nsecond");

    const auto tbl = body.child("w:tbl");
    const auto style = tbl.child("w:tblPr").first_child();
    EXPECT_STREQ(style.name(), "w:tblStyle");
    EXPECT_EQ(w_attr(style, "val"), "a3");

    const auto table = document.doc->tables().at(0);
    const std::vector<std::vector<std::string>> texts = {
        {"專利編號", "專利名稱", "關聯性"}, {"12345", "Title", ""}, {"摘要：\nA device."}, {""}};
    const char* heights[] = {"454", "454", "4535", "5669"};
    const std::vector<std::vector<std::string>> widths = {
        {k2Cm, k12_2Cm, k2Cm}, {k2Cm, k12_2Cm, k2Cm}, {k2Cm}, {"9185"}};  // row 3: the merge adds them up
    const auto rows = find_all_w(tbl, "tr");
    ASSERT_EQ(rows.size(), 4u);
    for (std::size_t r = 0; r < rows.size(); ++r) {
        std::vector<std::string> row_texts;
        const auto tcs = find_all_w(rows[r], "tc");
        for (std::size_t c = 0; c < tcs.size(); ++c) row_texts.push_back(table.cell(int(r), int(c)).text());
        EXPECT_EQ(row_texts, texts[r]) << "row " << r;
        EXPECT_EQ(w_attr(find_all_w(rows[r], "trHeight").at(0), "val"), heights[r]) << "row " << r;
        EXPECT_EQ(tcw(rows[r]), widths[r]) << "row " << r;
        for (auto tc : tcs) {
            EXPECT_EQ(w_attr(find_all_w(tc, "vAlign").at(0), "val"), "center") << "row " << r;
            EXPECT_EQ(find_all_w(tc, "p").size(), 1u) << "row " << r;
        }
    }
    for (int r : {2, 3}) {
        const auto tc_pr = find_all_w(rows[r], "tcPr").at(0);
        std::vector<std::string> names;
        for (auto child : tc_pr.children()) names.push_back(child.name());
        EXPECT_EQ(names, (std::vector<std::string>{"w:tcW", "w:gridSpan", "w:vAlign"})) << "row " << r;
        EXPECT_EQ(w_attr(tc_pr.child("w:gridSpan"), "val"), "3");
    }
    EXPECT_EQ(find_all_w(rows[2], "br").size(), 1u) << "the abstract's label ends in a line break";

    std::vector<std::string> grid;
    for (auto col : find_all_w(tbl, "gridCol")) grid.push_back(w_attr(col, "w"));
    EXPECT_EQ(grid, (std::vector<std::string>{k2Cm, k12_2Cm, k2Cm}));
}

TEST(TableBuilder, WithoutTableGridStyleItPrintsAndGoesOn) {
    struct Case {
        const char* what;
        fixture::Parts styles;
    };
    const Case cases[] = {
        {"no styles part", {}},
        {"only a paragraph style of that name",
         fixture::styles_part(R"(<w:style w:type="paragraph" w:styleId="TableGrid"><w:name w:val="Table Grid"/></w:style>)")},
    };
    for (const auto& c : cases) {
        Document document = fixture::loaded(kIntro + fixture::kA4Section, c.styles);
        testing::internal::CaptureStdout();
        document._add_table();
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "無法設定格線\n") << c.what;
        EXPECT_TRUE(find_all_w(document.doc->body(), "tblStyle").empty()) << c.what;
        EXPECT_EQ(find_all_w(document.doc->body(), "tr").size(), 4u) << c.what;
        EXPECT_TRUE(is_page_break_paragraph(document.doc->body().child("w:tbl").next_sibling())) << c.what;
    }
}

TEST(TableBuilder, PictureFillsTheBoxWidthUpToItsProportionsElseItsHeight) {
    struct Case {
        int px_w, px_h;
        long long cx, cy;
    };
    // The box is 16.4 x 13 cm: 5904000 x 4680000 EMU.
    const Case cases[] = {
        {1640, 1300, 5904000, 4680000},  // exactly the box's proportions: width
        {1639, 1300, 5900400, 4680000},
        {1000, 1000, 4680000, 4680000},
        {2000, 500, 5904000, 1476000},
    };
    for (const auto& c : cases) {
        Document document = template_with_grid();
        const auto path = picture("p.png", fixture::png_bytes(c.px_w, c.px_h));
        testing::internal::CaptureStdout();
        document._add_table("", "", "", 4, 3, path);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "") << c.px_w << "x" << c.px_h;

        const auto last_row = find_all_w(document.doc->body(), "tr").at(3);
        const auto extents = fixture::find_all(last_row, kWp, "extent");
        ASSERT_EQ(extents.size(), 1u) << c.px_w << "x" << c.px_h;
        EXPECT_EQ(extents[0].attribute("cx").as_llong(), c.cx) << c.px_w << "x" << c.px_h;
        EXPECT_EQ(extents[0].attribute("cy").as_llong(), c.cy) << c.px_w << "x" << c.px_h;
        const auto paragraphs = find_all_w(last_row, "p");
        ASSERT_EQ(paragraphs.size(), 1u);
        EXPECT_EQ(w_attr(find_all_w(paragraphs[0], "jc").at(0), "val"), "center");
        EXPECT_TRUE(is_page_break_paragraph(document.doc->body().child("w:tbl").next_sibling()));
    }
}

TEST(TableBuilder, UnusablePicturePrintsBothLinesAndKeepsThePageBreak) {
    const std::string folder = tools::fresh_folder("table-bad-pictures");
    fixture::write_file(folder + "notes.png", "plain text");
    struct Case {
        std::string path;
        std::string error;
    };
    const Case cases[] = {
        {folder + "missing.png", "cannot open picture file '" + folder + "missing.png'"},
        {folder + "notes.png", "'" + folder + "notes.png' is not a PNG, JPEG, GIF or BMP picture"},
    };
    for (const auto& c : cases) {
        Document document = template_with_grid();
        testing::internal::CaptureStdout();
        document._add_table("", "", "", 4, 3, c.path);
        const std::string printed = testing::internal::GetCapturedStdout();
        EXPECT_EQ(printed.substr(0, c.error.size()), c.error) << printed;
        EXPECT_TRUE(printed.ends_with("\n插入圖片錯誤\n")) << printed;
        EXPECT_EQ(std::count(printed.begin(), printed.end(), '\n'), 2) << printed;

        const auto last_row = find_all_w(document.doc->body(), "tr").at(3);
        EXPECT_EQ(find_all_w(last_row, "p").size(), 1u);
        EXPECT_TRUE(find_all_w(last_row, "drawing").empty());
        EXPECT_EQ(document.doc->tables().at(0).cell(3, 0).text(), "");
        EXPECT_TRUE(is_page_break_paragraph(document.doc->body().child("w:tbl").next_sibling()));
    }
}

TEST(TableBuilder, LargerTablesKeepTheLayoutInTheirFirstRowsAndColumns) {
    Document document = template_with_grid();
    document._add_table("abstract", "P", "T", 6, 5);
    const auto table = document.doc->tables().at(0);
    for (int r = 0; r < 6; ++r)
        for (int c = 0; c < 5; ++c)
            EXPECT_EQ(w_attr(find_all_w(table.cell(r, c).node(), "vAlign").at(0), "val"), "center")
                << r << "," << c;

    const auto rows = find_all_w(table.node(), "tr");
    EXPECT_TRUE(find_all_w(rows[4], "trHeight").empty());
    EXPECT_TRUE(find_all_w(rows[5], "trHeight").empty());
    // The A4 text width shared by five columns; the first three were set, the others kept it.
    const std::string initial = std::to_string((11906 - 2 * 1440) / 5);
    EXPECT_EQ(tcw(rows[0]), (std::vector<std::string>{k2Cm, k12_2Cm, k2Cm, initial, initial}));
    EXPECT_EQ(table.cell(0, 3).text(), "");
    EXPECT_EQ(table.cell(0, 4).text(), "");
    for (int r : {2, 3}) {
        EXPECT_EQ(table.cell(r, 0), table.cell(r, 2)) << r;
        EXPECT_NE(table.cell(r, 2), table.cell(r, 3)) << r;
        EXPECT_NE(table.cell(r, 3), table.cell(r, 4)) << r;
    }
    EXPECT_TRUE(is_page_break_paragraph(document.doc->body().child("w:tbl").next_sibling()));
}

TEST(TableBuilder, TooSmallATableFailsWithTheTableAsFarAsBuilt) {
    struct Case {
        int rows, cols;
        const char* message;
        std::size_t tables;
    };
    const Case cases[] = {
        {3, 3, "no row 3", 1},
        {4, 2, "no column 2", 1},
        {0, 3, "at least one row", 0},
    };
    for (const auto& c : cases) {
        Document document = template_with_grid();
        try {
            document._add_table("", "", "", c.rows, c.cols);
            ADD_FAILURE() << c.rows << " x " << c.cols << " was accepted";
        } catch (const docx_loom::Error& error) {
            EXPECT_NE(std::string(error.what()).find(c.message), std::string::npos) << error.what();
        }
        EXPECT_EQ(document.doc->tables().size(), c.tables);
        EXPECT_EQ(page_breaks(document.doc->body()), 0) << "no page break after a failure";
    }

    Document empty;
    EXPECT_THROW(empty._add_table(), docx_loom::AttributeMissing);
}

TEST(TableLayer, MergeKeepsTheContentOfEveryCellThatHasAny) {
    const auto cell = [](const std::string& inner) { return "<w:tc>" + inner + "</w:tc>"; };
    const std::string blank = "<w:p/>";
    const auto text = [](const char* t) { return std::string("<w:p><w:r><w:t>") + t + "</w:t></w:r></w:p>"; };
    struct Case {
        const char* what;
        std::string row;
        int first, second;
        std::string merged_text;
        std::size_t paragraphs;
        const char* span;
        const char* width;  // the merged cell's w:tcW, or "" for none
    };
    const std::string w100 = "<w:tcPr><w:tcW w:w=\"100\" w:type=\"dxa\"/></w:tcPr>";
    const Case cases[] = {
        {"both have text", cell(text("a")) + cell(text("b")) + cell(text("c")), 0, 1, "a\nb", 2, "2", ""},
        {"the first is blank", cell(blank) + cell(text("b")) + cell(blank), 0, 1, "b", 1, "2", ""},
        {"the cells between come along, widths added up",
         cell(w100 + text("a")) + cell(w100 + blank) + cell(w100 + text("c")), 2, 0, "a\nc", 2, "3", "300"},
    };
    for (const auto& c : cases) {
        Document document = fixture::loaded("<w:tbl><w:tblGrid/><w:tr>" + c.row + "</w:tr></w:tbl>");
        auto table = document.doc->tables().at(0);
        const auto merged = table.cell(0, c.first).merge(table.cell(0, c.second));
        EXPECT_EQ(merged, table.cell(0, 0)) << c.what;
        EXPECT_EQ(merged.text(), c.merged_text) << c.what;
        EXPECT_EQ(merged.paragraphs().size(), c.paragraphs) << c.what;
        EXPECT_EQ(w_attr(find_all_w(merged.node(), "gridSpan").at(0), "val"), c.span) << c.what;
        const auto width = find_all_w(merged.node(), "tcW");
        EXPECT_EQ(width.empty() ? "" : w_attr(width[0], "w"), c.width) << c.what;
    }

    Document two_rows = fixture::loaded("<w:tbl><w:tr><w:tc><w:p/></w:tc></w:tr><w:tr><w:tc><w:p/></w:tc></w:tr></w:tbl>");
    auto table = two_rows.doc->tables().at(0);
    EXPECT_THROW(table.cell(0, 0).merge(table.cell(1, 0)), docx_loom::Error);
}
