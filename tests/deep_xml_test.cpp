// XML nested far deeper than any real document is refused with an error, never a
// stack overflow; nesting within the bound is read and filled like any other.
#include "docx_fixture.hpp"
#include "tools.hpp"

#include <docx_loom/errors.hpp>

#include <gtest/gtest.h>

namespace {

std::string nested(int levels, const std::string& inner) {
    std::string xml;
    for (int i = 0; i < levels; ++i) xml += "<w:smartTag w:element=\"x\">";
    xml += inner;
    for (int i = 0; i < levels; ++i) xml += "</w:smartTag>";
    return xml;
}

const std::string kTooDeep = "<w:p>" + nested(40000, "<w:r><w:t>$$$X$$$</w:t></w:r>") + "</w:p>";

}  // namespace

TEST(DeepXml, TooDeepAPartIsRefusedNamingThePart) {
    try {
        docx_loom::WordDocument::from_package(docx_loom::Package::from_bytes(fixture::docx_bytes(kTooDeep), "deep.docx"));
        ADD_FAILURE() << "no error";
    } catch (const docx_loom::XmlError& error) {
        const std::string message = error.what();
        EXPECT_NE(message.find("word/document.xml"), std::string::npos) << message;
        EXPECT_NE(message.find("deep.docx"), std::string::npos) << message;
        EXPECT_NE(message.find("levels deep"), std::string::npos) << message;
    }

    docx_loom::Document document;
    const std::string w = "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"";
    EXPECT_THROW(document.ttff("<w:p " + w + ">" + nested(40000, "") + "</w:p>"), docx_loom::XmlError);
}

TEST(DeepXml, EveryCommandEndsWithAnErrorNotASignal) {
    const std::string folder = tools::fresh_folder("deep");
    const std::string docx = folder + "deep.docx";
    fixture::write_file(docx, fixture::docx_bytes(kTooDeep));
    EXPECT_LT(fixture::read_file(docx).size(), 8192u) << "a small file";
    fixture::write_file(folder + "plan.json", R"([{"old_text": "$$$X$$$", "new_text": "y"}])");

    const std::string loom = tools::quote(tools::program_dir() + "/docx-loom") + " ";
    const std::string plan = tools::quote(folder + "plan.json");
    for (const std::string& arguments : {"text " + tools::quote(docx), "check " + tools::quote(docx) + " " + plan,
                                         "fill " + tools::quote(docx) + " " + plan + " " + tools::quote(folder + "out")}) {
        const auto result = tools::run(loom + arguments);
        EXPECT_EQ(result.status, 1) << arguments << ": " << result.output;
        EXPECT_NE(result.output.find("word/document.xml"), std::string::npos) << arguments << ": " << result.output;
    }
}

TEST(DeepXml, NestingWithinTheBoundIsReadAndFilled) {
    // 4,000 smart tags, with the document, body, paragraph, run and text around them.
    docx_loom::Document document = fixture::loaded("<w:p>" + nested(4000, "<w:r><w:t>$$$X$$$</w:t></w:r>") + "</w:p>");
    EXPECT_EQ(document.get_accepted_text(document.doc->paragraphs().at(0)), "$$$X$$$");
    document.set("$$$X$$$", "deep");
    document.execute_set();
    const auto saved = docx_loom::WordDocument::from_package(
        docx_loom::Package::from_bytes(document.doc->save_to_bytes(), "saved.docx"));
    EXPECT_EQ(saved.paragraphs().at(0).text(), "deep");
}
