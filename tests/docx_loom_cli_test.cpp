#include "docx_fixture.hpp"
#include "tools.hpp"

#include <platform/root_folder.hpp>

#include <gtest/gtest.h>

#include <filesystem>

namespace {

const std::string kTemplateBody =
    "<w:p><w:r><w:t>Dear $$$NAME$$$,</w:t></w:r></w:p>"
    "<w:tbl><w:tr><w:tc><w:p><w:r><w:t>$$$AMOUNT$$$</w:t></w:r></w:p></w:tc></w:tr></w:tbl>";

struct Workspace {
    std::string folder = tools::fresh_folder("cli");
    std::string template_path = folder + "template.docx";
    Workspace() { fixture::write_file(template_path, fixture::docx_bytes(kTemplateBody)); }

    mutable int plans = 0;
    std::string plan(const std::string& json) const {
        const std::string path = folder + "plan" + std::to_string(++plans) + ".json";
        fixture::write_file(path, json);
        return path;
    }
};

tools::CommandResult run_cli(const std::string& arguments) {
    return tools::run(tools::quote(tools::program_dir() + "/docx-loom") + " " + arguments);
}

bool exists(const std::string& path) { return std::filesystem::exists(platform::to_path(path)); }

}  // namespace

TEST(DocxLoomCli, FillWritesTheDocxAndPrintsTheEngineLine) {
    Workspace w;
    const auto plan = w.plan(R"([{"old_text": "$$$NAME$$$", "new_text": "林小姐", "new_font_size": 12,
                                  "font_color": [0, 0, 255], "new_alignment": "left"},
                                 {"old_text": "$$$AMOUNT$$$", "new_text": 1250}])");
    const auto result = run_cli("fill " + tools::quote(w.template_path) + " " + tools::quote(plan) + " " +
                                  tools::quote(w.folder + "out"));
    ASSERT_EQ(result.status, 0) << result.output;
    EXPECT_EQ(result.output, "[完成！] " + w.folder + "out.docx\n") << "the file that exists";
    const auto doc = docx_loom::WordDocument::open(platform::to_path(w.folder + "out.docx"));
    EXPECT_EQ(doc.paragraphs().at(0).text(), "Dear 林小姐,");
    EXPECT_EQ(doc.tables().at(0).rows().at(0).cells().at(0).text(), "1250");
    const auto color = fixture::find_all_w(doc.body(), "color");
    ASSERT_EQ(color.size(), 1u);
    EXPECT_EQ(fixture::w_attr(color[0], "val"), "0000FF");
}

TEST(DocxLoomCli, BadArgumentsAndFailedFillsHaveTheirExitStatus) {
    Workspace w;
    struct Case {
        const char* what;
        std::string arguments;
        int status;
        std::string message;
    };
    const std::string out = tools::quote(w.folder + "out");
    const std::string tmpl = tools::quote(w.template_path);
    fixture::write_file(w.folder + "broken.docx", "not a zip");
    const Case cases[] = {
        {"no subcommand", "", 2, ""},
        {"unknown key", "fill " + tmpl + " " + w.plan(R"([{"old_text": "a", "new_text": "b", "colour": 1}])") + " " + out,
         2, "plan entry 1 has an unknown key \"colour\""},
        {"wrong type", "fill " + tmpl + " " + w.plan(R"([{"old_text": "a", "new_text": "b", "new_font_size": "12"}])") + " " + out,
         2, "plan entry 1, key \"new_font_size\", must be a number"},
        {"not an array", "fill " + tmpl + " " + w.plan(R"({"old_text": "a"})") + " " + out, 2, "must be a JSON array"},
        {"missing template", "fill " + tools::quote(w.folder + "absent.docx") + " " + w.plan("[]") + " " + out, 2,
         "absent.docx"},
        {"bad package", "fill " + tools::quote(w.folder + "broken.docx") + " " + w.plan("[]") + " " + out, 1,
         "broken.docx"},
        {"colour out of range", "fill " + tmpl + " " + w.plan(R"([{"old_text": "$$$NAME$$$", "new_text": "b", "font_color": [300, 0, 0]}])") + " " + out,
         2, "300"},
        // Too large for a double: the message shows what was written, not "null".
        {"number too large", "fill " + tmpl + " " + w.plan(R"([{"old_text": "a", "new_text": "b", "new_font_size": 1e400}])") + " " + out,
         2, "number overflow parsing '1e400'"},
    };
    for (const auto& c : cases) {
        const auto result = run_cli(c.arguments);
        EXPECT_EQ(result.status, c.status) << c.what << ": " << result.output;
        EXPECT_NE(result.output.find(c.message), std::string::npos) << c.what << ": " << result.output;
        EXPECT_FALSE(exists(w.folder + "out.docx")) << c.what;
    }
}

TEST(DocxLoomCli, PdfWithoutDocx) {
    if (!tools::require("soffice", "libreoffice-writer-nogui") || !tools::require("pdftotext", "poppler-utils"))
        return;
    Workspace w;
    const auto plan = w.plan(R"([{"old_text": "$$$NAME$$$", "new_text": "王先生"}])");
    const auto result = run_cli("fill " + tools::quote(w.template_path) + " " + tools::quote(plan) + " " +
                                  tools::quote(w.folder + "letter") + " --pdf --no-docx");
    ASSERT_EQ(result.status, 0) << result.output;
    EXPECT_FALSE(exists(w.folder + "letter.docx"));
    const auto text = tools::run("pdftotext " + tools::quote(w.folder + "letter.pdf") + " -");
    EXPECT_NE(text.output.find("Dear 王先生,"), std::string::npos) << text.output;
}
