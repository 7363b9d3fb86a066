#include "docx_fixture.hpp"
#include "tools.hpp"

#include <docx_loom/docx_loom.hpp>
#include <docx_loom/errors.hpp>
#include <platform/root_folder.hpp>

#include <gtest/gtest.h>

#include <filesystem>

using docx_loom::Document;

namespace {

bool exists(const std::string& path) { return std::filesystem::exists(platform::to_path(path)); }

std::string template_file(const std::string& name, const std::string& body) {
    const std::string path = tools::fresh_folder("templates-" + name) + name;
    fixture::write_file(path, fixture::docx_bytes(body));
    return path;
}

std::string paragraph(const std::string& text) { return "<w:p><w:r><w:t>" + text + "</w:t></w:r></w:p>"; }

}  // namespace

TEST(Versions, RegisteredTemplatesOpenByName) {
    Document document;
    testing::internal::CaptureStdout();
    document.run_version("none");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "word的檔案格式名稱並沒有定義\n");
    EXPECT_EQ(document.save_path, platform::root_folder());
    EXPECT_FALSE(document.doc || document.version);
    EXPECT_THROW(document.output("a"), docx_loom::AttributeMissing);

    document.set_word_version_path(1, template_file("first.docx", paragraph("first")));
    document.set_word_version_path("1", template_file("second.docx", paragraph("second $$$X$$$")));
    document.set("$$$X$$$", "filled");
    document.run_version(1, "out/");
    EXPECT_EQ(document.version, "1");
    EXPECT_EQ(document.save_path, "out/");
    document.execute_set();
    EXPECT_EQ(document.doc->paragraphs().at(0).text(), "second filled") << "entries queued before opening apply";

    // A registered file that is missing: save_path and version change, doc stays.
    document.set_word_version_path("gone", "/nonexistent/gone.docx");
    EXPECT_THROW(document.run_version("gone", "elsewhere/"), docx_loom::PackageError);
    EXPECT_EQ(document.version, "gone");
    EXPECT_EQ(document.save_path, "elsewhere/");
    EXPECT_EQ(document.doc->paragraphs().at(0).text(), "second filled");
}

TEST(Output, WritesKeepsOrDeletesTheDocxAndNamesTheFileItLeaves) {
    Docx_Loom loom;
    EXPECT_EQ(loom.version_, "v2025_01_04_001");
    Docx_Loom::Document document;
    document.set_word_version_path("v", template_file("t.docx", paragraph("$$$X$$$")));
    document.run_version("v");
    const std::string root = platform::root_folder();

    // Without a PDF the line names the .docx; with nothing left, there is no line.
    testing::internal::CaptureStdout();
    document.output("a");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "[完成！] " + root + "a.docx\n");
    EXPECT_TRUE(exists(root + "a.docx"));
    EXPECT_FALSE(exists(root + "a.pdf"));

    // Neither kept: a file that already had the name is the user's and stays.
    fixture::write_file(root + "b.docx", "the user's own");
    testing::internal::CaptureStdout();
    document.output("b", false, false);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(fixture::read_file(root + "b.docx"), "the user's own");

    // No separator is inserted between save_path and the name.
    document.save_path = root + "out";
    testing::internal::CaptureStdout();
    document.output("a");
    testing::internal::GetCapturedStdout();
    EXPECT_TRUE(exists(root + "outa.docx"));

    document.set("$$$X$$$", "second");
    document.execute_set();
    document.save_path = root;
    testing::internal::CaptureStdout();
    document.output("a");
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(document.name, "a");
    EXPECT_EQ(docx_loom::WordDocument::open(platform::to_path(root + "a.docx")).paragraphs().at(0).text(), "second");

    // A missing folder: the save fails and nothing is printed.
    document.save_path = root + "missing/";
    testing::internal::CaptureStdout();
    EXPECT_THROW(document.output("a"), docx_loom::PackageError);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

TEST(Output, ConvertsToPdfAndKeepsOnlyThePdf) {
    if (!tools::require("soffice", "libreoffice-writer-nogui") || !tools::require("pdftotext", "poppler-utils"))
        return;
    Document document;
    const std::string folder = tools::fresh_folder("pdf");
    // The template itself lies where the .docx would go, as when a user asks for
    // template.pdf beside template.docx: only the PDF may be written.
    const std::string template_path = folder + "receipt.docx";
    fixture::write_file(template_path, fixture::read_file(template_file("r.docx", paragraph("買受人：$$$C1$$$"))));
    const std::string template_bytes = fixture::read_file(template_path);
    document.set_word_version_path("receipt", template_path);
    document.run_version("receipt", folder);
    document.set("$$$C1$$$", "台灣測試有限公司", docx_loom::SetOptions{.new_font_size = docx_loom::Pt(12)});
    document.execute_set();
    testing::internal::CaptureStdout();
    document.output("receipt", true, false);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "[完成！] " + folder + "receipt.pdf\n");
    EXPECT_EQ(fixture::read_file(template_path), template_bytes);
    ASSERT_TRUE(exists(folder + "receipt.pdf"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(platform::to_path(folder)), std::filesystem::directory_iterator()), 2)
        << "the scratch .docx is left behind";
    const auto text = tools::run("pdftotext " + tools::quote(folder + "receipt.pdf") + " -");
    EXPECT_EQ(text.status, 0);
    EXPECT_NE(text.output.find("買受人：台灣測試有限公司"), std::string::npos) << text.output;
}
