#include "docx_fixture.hpp"
#include "tools.hpp"

#include <pdf_press/pdf_press.hpp>
#include <platform/root_folder.hpp>

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using Json = nlohmann::ordered_json;

struct Workspace {
    std::string folder;
    explicit Workspace(const std::string& name) : folder(tools::fresh_folder(name)) {}

    std::string file(const std::string& name, const std::string& bytes) const {
        fixture::write_file(folder + name, bytes);
        return folder + name;
    }
    std::string docx(const std::string& name, const std::string& body, const fixture::Parts& parts = {}) const {
        return file(name, fixture::docx_bytes(body, parts));
    }
};

tools::CommandResult run_cli(const std::string& arguments) {
    return tools::run(tools::quote(tools::program_dir() + "/docx-loom") + " " + arguments);
}

// Standard output only, so that the JSON can be parsed.
tools::CommandResult run_cli_stdout(const std::string& arguments) {
    return tools::run("{ " + tools::quote(tools::program_dir() + "/docx-loom") + " " + arguments + " 2>/dev/null; }");
}

tools::CommandResult run_cli_stderr(const std::string& arguments) {
    return tools::run("{ " + tools::quote(tools::program_dir() + "/docx-loom") + " " + arguments + " 2>&1 >/dev/null; }");
}

bool exists(const std::string& path) { return std::filesystem::exists(platform::to_path(path)); }

std::string paragraph(const std::string& text) { return "<w:p><w:r><w:t xml:space=\"preserve\">" + text + "</w:t></w:r></w:p>"; }

fixture::Parts grid_styles() { return fixture::styles_part(fixture::table_grid_style()); }

fixture::Parts header_parts(const std::string& inner) {
    return fixture::related_parts(
        {{"word/header1.xml", "header", "application/vnd.openxmlformats-officedocument.wordprocessingml.header+xml",
          std::string("<w:hdr ") + fixture::kStoryNamespaces + ">" + inner + "</w:hdr>"}});
}

}  // namespace

TEST(DocxLoomCliText, PrintsTheAcceptedTextOfEveryPlaceWithItsPart) {
    Workspace w("cli-text");
    const auto docx = w.docx("t.docx", paragraph("第一段") +
                                           "<w:p><w:r><w:t>A</w:t><w:br w:type=\"page\"/><w:t>B</w:t></w:r></w:p>"
                                           "<w:p><w:del w:id=\"1\" w:author=\"a\"><w:r><w:delText>gone</w:delText></w:r></w:del></w:p>"
                                           "<w:tbl><w:tr><w:tc>" + paragraph("cell") + paragraph("lines") + "</w:tc></w:tr></w:tbl>",
                             header_parts("<w:p><w:r><w:t>頁首</w:t></w:r></w:p>"));
    const auto result = run_cli_stdout("text " + tools::quote(docx));
    ASSERT_EQ(result.status, 0) << result.output;
    EXPECT_EQ(Json::parse(result.output), Json::parse(R"({"text": ["第一段", "A$$$page$$$B", "", "cell\nlines", "頁首"],
        "part": ["word/document.xml", "word/document.xml", "word/document.xml", "word/document.xml", "word/header1.xml"]})"));
    EXPECT_NE(result.output.find("第一段"), std::string::npos) << "UTF-8 is printed as it is";
}

TEST(DocxLoomCliCheck, PrintsRecordedPlaceholdersInPlanOrder) {
    Workspace w("cli-check");
    const auto docx = w.docx("t.docx", paragraph("first {B}") + paragraph("then {A}") + paragraph("【符號說明】") +
                                           paragraph("{A} {B} late"));
    const auto plan = w.file("plan.json", R"([{"old_text": "{A}", "new_text": "1"},
                                              {"old_text": "{B}", "new_text": "first", "new_font_size": 12}])");

    auto result = run_cli_stdout("check " + tools::quote(docx) + " " + tools::quote(plan));
    ASSERT_EQ(result.status, 0) << result.output;
    // {B} is found first in the document, but the plan lists {A} first.
    const std::string body = "word/document.xml";
    EXPECT_EQ(Json::parse(result.output).dump(),
              Json({{"{A}", {{"text", {"then {A}", "{A} {B} late"}}, {"part", {body, body}}}},
                    {"{B}", {{"text", {"first {B}", "{A} {B} late"}}, {"part", {body, body}}}}})
                  .dump());

    result = run_cli_stdout("check " + tools::quote(docx) + " " + tools::quote(plan) + " --range");
    ASSERT_EQ(result.status, 0) << result.output;
    EXPECT_EQ(Json::parse(result.output), Json({{"{B}", {{"text", {"first {B}"}}, {"part", {body}}}}}));

    const auto broken = w.file("broken.docx", "not a zip");
    struct Case {
        const char* what;
        std::string arguments;
        int status;
        std::string message;
    };
    const Case cases[] = {
        {"unknown key", tools::quote(docx) + " " + w.file("bad.json", R"([{"old_text": "a", "new_text": "b", "size": 1}])"),
         2, "unknown key \"size\""},
        {"bad package", tools::quote(broken) + " " + tools::quote(plan), 1, "broken.docx"},
    };
    for (const auto& c : cases) {
        result = run_cli("check " + c.arguments);
        EXPECT_EQ(result.status, c.status) << c.what << ": " << result.output;
        EXPECT_TRUE(result.output.starts_with("docx-loom: ")) << c.what << ": " << result.output;
        EXPECT_NE(result.output.find(c.message), std::string::npos) << c.what << ": " << result.output;
    }
}

TEST(DocxLoomCliCheck, ReportsEveryPlaceTheFillWouldReplaceAndWarnsOfAbsentPlaceholders) {
    Workspace w("cli-check-places");
    // The receipt template's placeholders all stand in table cells.
    const auto docx = w.docx("t.docx",
                             paragraph("Dear {N},") + "<w:tbl><w:tr><w:tc>" + paragraph("{N}") + "</w:tc><w:tc>" +
                                 paragraph("{AMOUNT}") + "</w:tc></w:tr></w:tbl>",
                             header_parts("<w:p><w:r><w:t>For {N}</w:t></w:r></w:p>"));
    const auto plan = w.file("plan.json", R"([{"old_text": "{N}", "new_text": "Lin"},
                                              {"old_text": "{AMOUNT}", "new_text": 12},
                                              {"old_text": "{MISSING}", "new_text": "x"}])");
    const std::string body = "word/document.xml";
    const Json expected = {
        {"{N}", {{"text", {"Dear {N},", "{N}", "For {N}"}}, {"part", {body, body, "word/header1.xml"}}}},
        {"{AMOUNT}", {{"text", {"{AMOUNT}"}}, {"part", {body}}}}};
    const std::string warning = "docx-loom: warning: the placeholder \"{MISSING}\" is found nowhere in '" + docx + "'\n";

    const std::string files = tools::quote(docx) + " " + tools::quote(plan);
    auto result = run_cli_stdout("check " + files);
    ASSERT_EQ(result.status, 0) << result.output;
    EXPECT_EQ(Json::parse(result.output), expected);
    result = run_cli_stderr("check " + files);
    EXPECT_EQ(result.output, warning);
    result = run_cli_stdout("check " + files + " --strict");
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(Json::parse(result.output), expected) << "the report is printed all the same";

    // fill warns the same way, and with --strict writes nothing.
    result = run_cli("fill " + files + " " + tools::quote(w.folder + "out"));
    ASSERT_EQ(result.status, 0) << result.output;
    EXPECT_TRUE(result.output.starts_with(warning)) << result.output;
    const auto filled = docx_loom::WordDocument::open(platform::to_path(w.folder + "out.docx"));
    EXPECT_EQ(filled.tables().at(0).cell(0, 1).text(), "12");
    result = run_cli("fill " + files + " " + tools::quote(w.folder + "strict") + " --strict");
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.output, warning);
    EXPECT_FALSE(exists(w.folder + "strict.docx"));

    const auto fitting = w.file("fitting.json", R"([{"old_text": "{N}", "new_text": "Lin"}])");
    result = run_cli("fill " + tools::quote(docx) + " " + tools::quote(fitting) + " " + tools::quote(w.folder + "fits") +
                     " --strict");
    EXPECT_EQ(result.status, 0) << result.output;
    EXPECT_TRUE(exists(w.folder + "fits.docx"));

    // The receipt template: the buyer's cell.
    const auto buyer = w.file("buyer.json", R"([{"old_text": "$$$C1$$$", "new_text": "王小明"}])");
    result = run_cli_stdout("check " + tools::quote(tools::program_dir() + "/格式範本/格式範本001.docx") + " " +
                            tools::quote(buyer));
    ASSERT_EQ(result.status, 0) << result.output;
    EXPECT_EQ(Json::parse(result.output), Json({{"$$$C1$$$", {{"text", {"$$$C1$$$"}}, {"part", {body}}}}}));
}

TEST(DocxLoomCliTable, AppendsOneEntryAndWritesTheDocx) {
    Workspace w("cli-table");
    const auto with_grid = w.docx("grid.docx", paragraph("Report") + fixture::kA4Section, grid_styles());
    const auto picture = w.file("drawing.png", fixture::png_bytes(40, 20));

    auto result = run_cli("table " + tools::quote(w.folder + "out.docx") + " --from " + tools::quote(with_grid) +
                          " --papn 123 --title 題目 --abstract 一種裝置 --image " + tools::quote(picture));
    ASSERT_EQ(result.status, 0) << result.output;
    EXPECT_EQ(result.output, "");
    auto doc = docx_loom::WordDocument::open(platform::to_path(w.folder + "out.docx"));
    auto table = doc.tables().at(0);
    EXPECT_EQ(table.cell(1, 0).text(), "123");
    EXPECT_EQ(table.cell(1, 1).text(), "題目");
    EXPECT_EQ(table.cell(2, 0).text(), "摘要：\n一種裝置");
    EXPECT_EQ(fixture::find_all_w(table.cell(3, 0).node(), "drawing").size(), 1u);
    EXPECT_EQ(docx_loom::WordDocument::open(platform::to_path(with_grid)).tables().size(), 0u)
        << "the template stays as it was";

    const auto plain = w.docx("plain.docx", paragraph("Report"));
    result = run_cli("table " + tools::quote(w.folder + "plain-out.docx") + " --from " + tools::quote(plain));
    ASSERT_EQ(result.status, 0) << result.output;
    EXPECT_EQ(result.output, "無法設定格線\n");
    EXPECT_EQ(docx_loom::WordDocument::open(platform::to_path(w.folder + "plain-out.docx")).tables().size(), 1u);

    const auto broken = w.file("broken.docx", "not a zip");
    const std::string out = tools::quote(w.folder + "bad.docx");
    struct Case {
        const char* what;
        std::string arguments;
        int status;
        std::string message;
    };
    const Case cases[] = {
        {"too few rows", out + " --from " + tools::quote(with_grid) + " --rows 3", 2, "--rows"},
        {"missing picture", out + " --from " + tools::quote(with_grid) + " --image " + tools::quote(w.folder + "no.png"),
         2, "no.png"},
        {"bad package", out + " --from " + tools::quote(broken), 1, "broken.docx"},
        {"missing output folder",
         tools::quote(w.folder + "absent/bad.docx") + " --from " + tools::quote(with_grid), 1, "absent"},
    };
    for (const auto& c : cases) {
        result = run_cli("table " + c.arguments);
        EXPECT_EQ(result.status, c.status) << c.what << ": " << result.output;
        EXPECT_TRUE(result.output.starts_with("docx-loom: ")) << c.what << ": " << result.output;
        EXPECT_NE(result.output.find(c.message), std::string::npos) << c.what << ": " << result.output;
        EXPECT_FALSE(exists(w.folder + "bad.docx")) << c.what;
    }
}

TEST(DocxLoomCliTable, TwoEntriesRenderAsOneEntryPerPage) {
    if (!tools::require("soffice", "libreoffice-writer-nogui") || !tools::require("pdfinfo", "poppler-utils") ||
        !tools::require("pdftotext", "poppler-utils"))
        return;
    Workspace w("cli-table-pdf");
    const auto empty_report = w.docx("report.docx", fixture::kA4Section, grid_styles());
    const auto wide = w.file("wide.png", fixture::png_bytes(820, 650));
    const auto tall = w.file("tall.png", fixture::png_bytes(300, 600));

    auto result = run_cli("table " + tools::quote(w.folder + "one.docx") + " --from " + tools::quote(empty_report) +
                          " --papn TW-I-100001 --title 第一項專利 --abstract 'First abstract.' --image " +
                          tools::quote(wide));
    ASSERT_EQ(result.status, 0) << result.output;
    result = run_cli("table " + tools::quote(w.folder + "two.docx") + " --from " + tools::quote(w.folder + "one.docx") +
                     " --papn TW-M-200002 --title 第二項專利 --abstract 'Second abstract.' --image " +
                     tools::quote(tall));
    ASSERT_EQ(result.status, 0) << result.output;

    Pdf_Press press;
    press.convert(w.folder + "two.docx", w.folder + "two.pdf", true);
    const auto info = tools::run("pdfinfo " + tools::quote(w.folder + "two.pdf"));
    EXPECT_NE(info.output.find("Pages:           2\n"), std::string::npos) << info.output;

    const auto page_text = [&](int page) {
        const std::string n = std::to_string(page);
        return tools::run("pdftotext -f " + n + " -l " + n + " " + tools::quote(w.folder + "two.pdf") + " -").output;
    };
    const std::string first = page_text(1), second = page_text(2);
    for (const char* text : {"專利編號", "專利名稱", "關聯性", "第一項專利", "摘要：", "First abstract."})
        EXPECT_NE(first.find(text), std::string::npos) << text << " on page 1:\n" << first;
    EXPECT_EQ(first.find("第二項專利"), std::string::npos) << first;
    for (const char* text : {"專利編號", "第二項專利", "Second abstract."})
        EXPECT_NE(second.find(text), std::string::npos) << text << " on page 2:\n" << second;
}
