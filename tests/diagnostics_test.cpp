#include "docx_fixture.hpp"

#include <docx_loom/errors.hpp>

#include <gtest/gtest.h>

using docx_loom::Document;
using fixture::find_all_w;

namespace {

using Texts = std::vector<std::string>;
using Recorded = std::vector<std::pair<std::string, Texts>>;

std::string paragraph(const std::string& text) {
    return "<w:p><w:r><w:t xml:space=\"preserve\">" + text + "</w:t></w:r></w:p>";
}

std::string paragraphs(const Texts& texts) {
    std::string body;
    for (const auto& text : texts) body += paragraph(text);
    return body;
}

Recorded recorded(const Document& document) {
    Recorded found;
    for (const auto& [placeholder, record] : *document.check_dict) found.emplace_back(placeholder, record.text);
    return found;
}

}  // namespace

TEST(ShowAllText, RewritesEachBodyParagraphToItsAcceptedText) {
    Document document = fixture::loaded(
        "<w:p><w:pPr><w:jc w:val=\"right\"/></w:pPr><w:r><w:rPr><w:b/></w:rPr><w:t>bold</w:t></w:r></w:p>"
        "<w:p><w:r><w:t>Hello </w:t></w:r><w:ins w:id=\"1\" w:author=\"a\"><w:r><w:t>world</w:t></w:r></w:ins>"
        "<w:del w:id=\"2\" w:author=\"a\"><w:r><w:delText>old</w:delText></w:r></w:del></w:p>"
        "<w:p><w:r><w:t>A</w:t><w:br w:type=\"page\"/><w:t>B</w:t></w:r></w:p>"
        "<w:p><w:r><w:t>line</w:t><w:br/><w:t>joined</w:t></w:r></w:p>"
        "<w:tbl><w:tr><w:tc><w:p><w:r><w:t>in a cell</w:t></w:r></w:p></w:tc></w:tr></w:tbl>");
    EXPECT_EQ(document.show_all_text(), (Texts{"bold", "Hello world", "A$$$page$$$B", "linejoined"}));

    const auto body = document.doc->body();
    EXPECT_TRUE(find_all_w(body, "b").empty()) << "run formatting goes";
    EXPECT_EQ(fixture::w_attr(find_all_w(body, "jc").at(0), "val"), "right") << "paragraph properties stay";
    EXPECT_TRUE(find_all_w(body, "ins").empty());
    EXPECT_TRUE(find_all_w(body, "del").empty());
    EXPECT_TRUE(find_all_w(body, "br").empty()) << "the page break is now the literal marker";
    EXPECT_EQ(document.doc->tables().at(0).cell(0, 0).text(), "in a cell");
    EXPECT_EQ(document.show_all_text(), (Texts{"bold", "Hello world", "A$$$page$$$B", "linejoined"}))
        << "a second call reads the rewritten paragraphs the same";

    EXPECT_EQ(fixture::loaded("").show_all_text(), Texts{});
}

TEST(ShowExecuteSet, RecordsTheParagraphsInWhichAPlaceholderIsStillToBeReplaced) {
    struct Case {
        const char* what;
        Texts body;
        std::vector<std::pair<std::string, std::string>> plan;
        bool range;
        Recorded expected;
    };
    const Case cases[] = {
        {"no paragraphs", {}, {{"{A}", "1"}}, false, {}},
        {"empty plan", {"{A}"}, {}, false, {}},
        {"once per paragraph, in document order",
         {"{B} here", "{A} and {A}", "nothing", "x {A}"},
         {{"{A}", "1"}, {"{B}", "2"}},
         false,
         {{"{B}", {"{B} here"}}, {"{A}", {"{A} and {A}", "x {A}"}}}},
        {"range mode, no replacement text anywhere", {"{A}", "{A} again"}, {{"{A}", "one"}}, true, {}},
        {"range mode starts at the replacement text and stops at the heading",
         {"{A} early", "one is here {A}", "{A} later", "【符號說明】 {A}", "{A} after"},
         {{"{A}", "one"}},
         true,
         {{"{A}", {"one is here {A}", "{A} later"}}}},
        {"range mode counts for each placeholder on its own",
         {"{A} {B} two", "one {A} {B}"},
         {{"{A}", "one"}, {"{B}", "two"}},
         true,
         {{"{B}", {"{A} {B} two", "one {A} {B}"}}, {"{A}", {"one {A} {B}"}}}},
        {"without range mode the heading has no effect",
         {"【符號說明】 {A}", "{A}"},
         {{"{A}", "one"}},
         false,
         {{"{A}", {"【符號說明】 {A}", "{A}"}}}},
        {"replacement text that begins with the placeholder",
         {"{A} more", "{A} more{A}"},
         {{"{A}", "{A} more"}},
         false,
         {{"{A}", {"{A} more{A}"}}}},
        {"placeholder inside its replacement text",
         {"x{A}y and more", "x{A}y {A}", "{A}y"},
         {{"{A}", "x{A}y"}},
         false,
         // The last: the copy of "x{A}y" would begin before the text, so the occurrence is bare.
         {{"{A}", {"x{A}y {A}", "{A}y"}}}},
        {"a bare occurrence before or after a copy",
         {"{A} x{A}", "x{A} {A}"},
         {{"{A}", "x{A}"}},
         false,
         {{"{A}", {"{A} x{A}", "x{A} {A}"}}}},
        {"an occurrence inside another placeholder's replacement does not count",
         {"{A}-done", "{A}-done {A}"},
         {{"{A}", "{A}!"}, {"{A}{B}", "{A}-done"}},
         false,
         {{"{A}", {"{A}-done {A}"}}}},
        // The copy of "abX" that covers the occurrence starts one character, not one byte, back.
        {"the scan counts characters", {"abX"}, {{"X", "éX"}, {"中X", "abX"}}, false, {}},
        {"the scan counts characters, in ASCII", {"abX"}, {{"X", "eX"}, {"zX", "abX"}}, false, {}},
        {"an empty placeholder is never recorded", {"text", ""}, {{"", "x"}, {"t", "T"}}, false,
         {{"t", {"text"}}}},
    };
    for (const auto& c : cases) {
        Document document = fixture::loaded(paragraphs(c.body));
        for (const auto& [old_text, new_text] : c.plan) document.set(old_text, new_text);
        document.show_execute_set(c.range);
        ASSERT_TRUE(document.check_dict) << c.what;
        EXPECT_EQ(recorded(document), c.expected) << c.what;
    }
}

TEST(ShowExecuteSet, RewritesParagraphsAndRecordsTheirAcceptedText) {
    Document document = fixture::loaded(
        "<w:p><w:r><w:t>{A}</w:t><w:br w:type=\"page\"/></w:r><w:r><w:rPr><w:i/></w:rPr><w:t>next</w:t></w:r></w:p>"
        "<w:p><w:ins w:id=\"1\" w:author=\"a\"><w:r><w:t>{A}</w:t></w:r></w:ins></w:p>");
    document.set("{A}", "1");
    document.show_execute_set();
    EXPECT_EQ(recorded(document), (Recorded{{"{A}", {"{A}$$$page$$$next", "{A}"}}}));
    EXPECT_EQ(document.doc->paragraphs().at(0).text(), "{A}$$$page$$$next");
    EXPECT_TRUE(find_all_w(document.doc->body(), "br").empty());
    EXPECT_TRUE(find_all_w(document.doc->body(), "ins").empty());

    // A later call starts afresh.
    document.delete_();
    document.set("next", "2");
    document.show_execute_set();
    EXPECT_EQ(recorded(document), (Recorded{{"next", {"{A}$$$page$$$next"}}}));
}

TEST(ShowExecuteSet, NeedsALoadedDocument) {
    Document document;
    document.set("{A}", "1");
    EXPECT_THROW(document.show_execute_set(), docx_loom::AttributeMissing);
    ASSERT_TRUE(document.check_dict);
    EXPECT_TRUE(document.check_dict->empty());
    EXPECT_THROW(document.show_all_text(), docx_loom::AttributeMissing);
}

TEST(CheckPlaces, RecordsEveryPlaceTheFillVisitsOnceAndChangesNothing) {
    const std::string box = "<w:txbxContent>" + paragraph("box {A}") + "</w:txbxContent>";
    Document document = fixture::loaded(
        "<w:p><w:r><w:t>{A} beside</w:t></w:r><w:r><mc:AlternateContent "
        "xmlns:mc=\"http://schemas.openxmlformats.org/markup-compatibility/2006\"><mc:Choice Requires=\"wps\">"
        "<w:drawing>" + box + "</w:drawing></mc:Choice><mc:Fallback><w:pict>" + box +
        "</w:pict></mc:Fallback></mc:AlternateContent></w:r></w:p>"
        "<w:tbl><w:tr><w:tc><w:tcPr><w:gridSpan w:val=\"2\"/></w:tcPr>" + paragraph("wide {A}") + "</w:tc></w:tr></w:tbl>");
    document.set("{A}", "1");
    const std::string before = document.doc->package().part("word/document.xml");
    const auto found = document.check_places();
    ASSERT_NE(found.find("{A}"), nullptr);
    EXPECT_EQ(found.find("{A}")->text, (Texts{"{A} beside", "box {A}", "wide {A}"}));
    EXPECT_EQ(found.find("{A}")->part, Texts(3, "word/document.xml"));
    EXPECT_EQ(document.doc->package().part("word/document.xml"), before);
    EXPECT_FALSE(document.check_dict);
}
