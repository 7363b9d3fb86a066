#include "docx_fixture.hpp"

#include <docx_loom/errors.hpp>
#include <strict_xml.hpp>

#include <gtest/gtest.h>

using docx_loom::Document;
using docx_loom::SetOptions;
using docx_loom::TemplateError;

namespace {

const std::string kBody = "<w:p><w:r><w:t>first {A}</w:t></w:r></w:p>"
                          "<w:tbl><w:tr><w:tc><w:p><w:r><w:t>{B}</w:t></w:r></w:p></w:tc></w:tr></w:tbl>";

std::string saved_document_xml(const Document& document) {
    return docx_loom::Package::from_bytes(document.doc->save_to_bytes(), "saved").part("word/document.xml");
}

}  // namespace

// Characters XML cannot hold were written as &#01; or raw bytes, and the saved
// document was malformed.
TEST(XmlValues, ValuesXmlCannotHoldAreRefusedBeforeAnythingChanges) {
    struct Case {
        const char* what;
        std::string text;
        SetOptions options;
        std::string message;
    };
    const Case cases[] = {
        {"control character", "a\x01z", {}, "new_text holds the character U+0001, which XML cannot hold"},
        {"not UTF-8", "a\xFFz", {}, "new_text is not UTF-8 (byte 0xFF at byte 1)"},
        {"surrogate", "\xED\xA0\x80", {}, "new_text is not UTF-8"},
        {"U+FFFF", "\xEF\xBF\xBF", {}, "new_text holds the character U+FFFF"},
        {"font name", "ok", SetOptions{.new_font_name = "Cal\vibri"}, "new_font_name holds the character U+000B"},
        {"East Asian font", "ok", SetOptions{.new_font_name_Chinese = "\xE6\xA8"}, "new_font_name_Chinese is not UTF-8"},
        {"indent", "ok", SetOptions{.left_indent = 1e300}, "left_indent 1e+300 is not a number of points from -1584"},
        {"spacing", "ok", SetOptions{.line_spacing = -5}, "line_spacing -5 is not"},
        {"size", "ok", SetOptions{.new_font_size = docx_loom::Pt(1e14)}, "new_font_size 1e+14 is not"},
    };
    for (const auto& c : cases) {
        Document document = fixture::loaded(kBody);
        const std::string before = saved_document_xml(document);
        document.set("{A}", "fine");
        document.set("{B}", c.text, c.options);
        try {
            document.execute_set();
            ADD_FAILURE() << c.what << " was accepted";
        } catch (const TemplateError& error) {
            const std::string message = error.what();
            EXPECT_EQ(message.rfind("replacement plan entry 2 ('{B}'): ", 0), 0u) << c.what << ": " << message;
            EXPECT_NE(message.find(c.message), std::string::npos) << c.what << ": " << message;
        }
        EXPECT_EQ(saved_document_xml(document), before) << c.what << ": nothing was applied";
    }
}

TEST(XmlValues, AVerticalTabBecomesALineBreakAndTheSavedPartIsWellFormed) {
    Document document = fixture::loaded(kBody);
    document.set("{A}", "one\vtwo");
    document.set("{B}", "three\vfour", SetOptions{.new_font_name = "Noto Sans CJK TC"});
    document.execute_set();
    EXPECT_EQ(document.doc->paragraphs().at(0).text(), "first one\ntwo");
    EXPECT_EQ(document.doc->tables().at(0).rows().at(0).cells().at(0).text(), "three\nfour");
    EXPECT_EQ(strict_xml_error(saved_document_xml(document)), "");
}

TEST(XmlValues, TheDocumentLayerRefusesThemToo) {
    Document document = fixture::loaded(kBody);
    auto paragraph = document.doc->paragraphs().at(0);
    EXPECT_THROW(paragraph.set_text("\x02"), TemplateError);
    EXPECT_THROW(paragraph.runs().at(0).set_font_name("\x1F"), TemplateError);
    EXPECT_THROW(document.doc->tables().at(0).rows().at(0).cells().at(0).set_text("\xC0\x80"), TemplateError);
    EXPECT_THROW(document._add_table("abstract", "PAPN", "title\x07"), TemplateError);
    EXPECT_TRUE(document.doc->tables().size() == 1) << "no table was added";
    EXPECT_EQ(paragraph.text(), "first {A}");
    EXPECT_EQ(strict_xml_error(saved_document_xml(document)), "");
}

// Found by fuzzing: a part read in another encoding was written back as UTF-8 under
// its old declaration.
TEST(XmlValues, APartReadInAnotherEncodingIsSavedDeclaredAsUtf8) {
    const std::string latin1 = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><w:document xmlns:w=\"" +
                               std::string(fixture::kW) + "\"><w:body><w:p><w:r><w:t>caf\xE9 {A}</w:t></w:r></w:p></w:body></w:document>";
    Document document;
    document.doc = docx_loom::WordDocument::from_package(
        docx_loom::Package::from_bytes(fixture::docx_bytes_with_document(latin1), "latin1.docx"));
    document.set("{A}", "甲");
    document.execute_set();
    const std::string saved = saved_document_xml(document);
    EXPECT_EQ(strict_xml_error(saved), "");
    EXPECT_NE(saved.find("encoding=\"UTF-8\""), std::string::npos) << saved;
    EXPECT_NE(saved.find("café 甲"), std::string::npos) << saved;
}

// Found by fuzzing: an encoding name the parser does not know ("UTF-8-") is read as
// UTF-8, and bytes that are not UTF-8 were kept and saved as they were.
TEST(XmlValues, APartThatIsNotUtf8WhereItIsReadAsUtf8IsRefusedNamingThePart) {
    for (const char* declared : {"UTF-8-", "UTF-8"}) {
        const std::string part = "<?xml version=\"1.0\" encoding=\"" + std::string(declared) + "\"?><w:document xmlns:w=\"" +
                                 std::string(fixture::kW) +
                                 "\"><w:body><w:p><w:r><w:t>{A}</w:t></w:r><w\xDEtag/></w:p></w:body></w:document>";
        try {
            docx_loom::WordDocument::from_package(
                docx_loom::Package::from_bytes(fixture::docx_bytes_with_document(part), "odd.docx"));
            ADD_FAILURE() << declared;
        } catch (const docx_loom::XmlError& error) {
            EXPECT_NE(std::string(error.what()).find("part 'word/document.xml' of 'odd.docx'"), std::string::npos);
            EXPECT_NE(std::string(error.what()).find("is not UTF-8 (byte 0xDE at byte "), std::string::npos) << error.what();
        }
    }
}
