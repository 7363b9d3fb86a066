#include "docx_fixture.hpp"

#include <docx_loom/errors.hpp>

#include <gtest/gtest.h>

using docx_loom::Document;

namespace {

struct Case {
    const char* what;
    std::string paragraph;
    std::string accepted;
    std::string simple;  // _get_accepted_text
};

std::string run(std::string_view inner) { return "<w:r>" + std::string(inner) + "</w:r>"; }
std::string t(std::string_view text) { return "<w:t xml:space=\"preserve\">" + std::string(text) + "</w:t>"; }

}  // namespace

TEST(AcceptedText, ReadsParagraphsAsTheyLookWithChangesAccepted) {
    const Case cases[] = {
        {"plain runs", "<w:p>" + run(t("Hello ")) + run(t("world")) + "</w:p>", "Hello world", "Hello world"},
        {"insertion kept, deletion left out",
         "<w:p>" + run(t("Hello ")) + "<w:ins w:id=\"1\" w:author=\"x\">" + run(t("world")) + "</w:ins>" +
             "<w:del w:id=\"2\" w:author=\"x\">" + run("<w:delText>old</w:delText>") + "</w:del></w:p>",
         "Hello world", "Hello world"},
        {"page break as marker", "<w:p>" + run(t("A")) + run("<w:br w:type=\"page\"/>") + run(t("B")) + "</w:p>",
         "A$$$page$$$B", "AB"},
        {"column break dropped", "<w:p>" + run(t("A")) + run("<w:br w:type=\"column\"/>") + run(t("B")) + "</w:p>",
         "AB", "AB"},
        // The parsed path drops line breaks; the plain text would have kept them.
        {"line break dropped", "<w:p>" + run(t("A") + "<w:br/>" + t("B")) + "</w:p>", "AB", "A\nB"},
        // w:instrText holds "w:ins" as a substring, so this takes the parsed path.
        {"field code", "<w:p>" + run("<w:fldChar w:fldCharType=\"begin\"/>") + run("<w:instrText> PAGE </w:instrText>") +
                           run("<w:fldChar w:fldCharType=\"end\"/>") + run(t("1")) + "</w:p>",
         "1", "1"},
        {"tab kept on the plain path", "<w:p>" + run(t("A") + "<w:tab/>" + t("B")) + "</w:p>", "A\tB", "A\tB"},
        {"hyperlink runs", "<w:p><w:hyperlink>" + run(t("link")) + "</w:hyperlink></w:p>", "link", "link"},
        {"empty paragraph", "<w:p/>", "", ""},
    };
    for (const auto& c : cases) {
        Document document = fixture::loaded(c.paragraph);
        const auto p = document.doc->paragraphs().at(0);
        EXPECT_EQ(document.get_accepted_text(p), c.accepted) << c.what;
        EXPECT_EQ(document._get_accepted_text(p), c.simple) << c.what;
    }
}

// A text box in the two renderings Word writes: a DrawingML shape and its VML fallback.
std::string text_box(std::string_view text) {
    const std::string content = "<w:txbxContent><w:p>" + run(t(text)) + "</w:p></w:txbxContent>";
    return "<w:r><mc:AlternateContent xmlns:mc=\"http://schemas.openxmlformats.org/markup-compatibility/2006\">"
           "<mc:Choice Requires=\"wps\"><w:drawing><wps:txbx xmlns:wps=\"urn:shape\">" + content +
           "</wps:txbx></w:drawing></mc:Choice><mc:Fallback><w:pict><v:textbox xmlns:v=\"urn:vml\">" + content +
           "</v:textbox></w:pict></mc:Fallback></mc:AlternateContent></w:r>";
}

TEST(AcceptedText, WrappedTextCountsAndTextBoxesAndMovedAwayTextDoNot) {
    const std::string page = run("<w:br w:type=\"page\"/>");
    const Case cases[] = {
        {"smart tag and custom XML",
         "<w:p>" + run(t("6 ")) + "<w:smartTag w:element=\"date\"><w:smartTagPr/>" + run(t("октября")) +
             "</w:smartTag><w:customXml w:element=\"year\">" + run(t(" 2003")) + "</w:customXml></w:p>",
         "6 октября 2003", "6 октября 2003"},
        {"inline content control", "<w:p><w:sdt><w:sdtPr><w:alias w:val=\"d\"/></w:sdtPr><w:sdtContent>" + run(t("date")) +
                                       "</w:sdtContent></w:sdt>" + page + "</w:p>",
         "date$$$page$$$", "date"},
        {"direction wrappers and a simple field",
         "<w:p><w:dir w:val=\"rtl\">" + run(t("a")) + "</w:dir><w:bdo w:val=\"ltr\">" + run(t("b")) +
             "</w:bdo><w:fldSimple w:instr=\"PAGE\">" + run(t("3")) + "</w:fldSimple></w:p>",
         "ab3", "ab3"},
        {"ruby base without its guide",
         "<w:p><w:ruby><w:rubyPr/><w:rt>" + run(t("kan")) + "</w:rt><w:rubyBase>" + run(t("漢")) + "</w:rubyBase></w:ruby></w:p>",
         "漢", "漢"},
        {"the first choice of alternate content",
         "<w:p><mc:AlternateContent xmlns:mc=\"http://schemas.openxmlformats.org/markup-compatibility/2006\">"
         "<mc:Choice Requires=\"x\">" + run(t("new")) + "</mc:Choice><mc:Fallback>" + run(t("old")) +
             "</mc:Fallback></mc:AlternateContent></w:p>",
         "new", "new"},
        {"text box, plain path", "<w:p>" + run(t("body")) + text_box("box") + "</w:p>", "body", "body"},
        {"text box, parsed path", "<w:p>" + run(t("body")) + page + text_box("box") + "</w:p>", "body$$$page$$$",
         "body"},
        {"moved away and moved to, plain path",
         "<w:p><w:moveFrom w:id=\"1\">" + run(t("gone ")) + "</w:moveFrom>" + run(t("stays ")) + "<w:moveTo w:id=\"2\">" +
             run(t("arrives")) + "</w:moveTo></w:p>",
         "stays arrives", "stays arrives"},
        {"moved away and moved to, parsed path",
         "<w:p><w:moveFrom w:id=\"1\">" + run(t("gone ")) + "</w:moveFrom><w:ins w:id=\"3\">" + run(t("stays ")) +
             "</w:ins><w:moveTo w:id=\"2\">" + run(t("arrives")) + "</w:moveTo></w:p>",
         "stays arrives", "stays arrives"},
    };
    for (const auto& c : cases) {
        Document document = fixture::loaded(c.paragraph);
        const auto p = document.doc->paragraphs().at(0);
        EXPECT_EQ(document.get_accepted_text(p), c.accepted) << c.what;
        EXPECT_EQ(document._get_accepted_text(p), c.simple) << c.what;
        EXPECT_EQ(p.text(), c.simple) << c.what;
    }
}

TEST(AcceptedText, PageBreaksSurviveWhateverPrefixTheDocumentUses) {
    // The same paragraph under the usual prefix and under another bound to the same
    // namespace: both read the break, and filling keeps it.
    for (const std::string prefix : {"w", "x"}) {
        const std::string document_xml =
            "<" + prefix + ":document xmlns:" + prefix +
            R"(="http://schemas.openxmlformats.org/wordprocessingml/2006/main"><P:body>)"
            R"(<P:p><P:r><P:t>A</P:t></P:r><P:r><P:br P:type="page"/></P:r><P:r><P:t>B</P:t></P:r></P:p>)"
            "</P:body></" + prefix + ":document>";
        std::string xml = document_xml;
        for (std::size_t at; (at = xml.find("P:")) != std::string::npos;) xml.replace(at, 1, prefix);
        Document document;
        document.doc = docx_loom::WordDocument::from_package(
            docx_loom::Package::from_bytes(fixture::docx_bytes_with_document(xml), prefix + ".docx"));
        const auto p = document.doc->paragraphs().at(0);
        EXPECT_EQ(document.get_accepted_text(p), "A$$$page$$$B") << prefix;

        document.set("A", "zz");
        document.execute_set();
        const std::string filled = document.doc->paragraphs().at(0).xml();
        EXPECT_NE(filled.find(prefix + ":br " + prefix + ":type=\"page\""), std::string::npos) << filled;
        EXPECT_EQ(document.get_accepted_text(document.doc->paragraphs().at(0)), "zz$$$page$$$B") << prefix;
    }
}

TEST(Ttff, ReadsDirectRunsWithPageMarkers) {
    Document document;
    const std::string w = "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"";
    EXPECT_EQ(document.ttff("<w:p " + w + ">" + run(t("A")) + run("<w:br w:type=\"page\"/>") + run(t("B")) + "</w:p>"),
              "A$$$AAAA$$$B");
    EXPECT_EQ(document.ttff("<w:p " + w + ">" + run(t("C") + "<w:br w:type=\"page\"/>") + "</w:p>"), "$$$AAAA$$$C");
    EXPECT_EQ(document.ttff("<w:p " + w + "><w:ins>" + run(t("hidden")) + "</w:ins></w:p>"), "");
    EXPECT_EQ(document.ttff("<w:p " + w + "/>"), "");
    EXPECT_THROW(document.ttff("<w:p " + w + "><w:r>"), docx_loom::XmlError);
    EXPECT_THROW(document.ttff("<w:p><w:r/></w:p>"), docx_loom::XmlError);
}
