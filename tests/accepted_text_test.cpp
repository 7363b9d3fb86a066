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

TEST(AcceptedText, PreCheckSeesTheDocumentsOwnPrefix) {
    // A document that binds the main namespace to another prefix: the serialized
    // fragment uses that prefix, so the plain path answers.
    const std::string document_xml =
        R"(<x:document xmlns:x="http://schemas.openxmlformats.org/wordprocessingml/2006/main"><x:body>)"
        R"(<x:p><x:r><x:t>A</x:t></x:r><x:r><x:br x:type="page"/></x:r><x:r><x:t>B</x:t></x:r></x:p>)"
        R"(</x:body></x:document>)";
    Document document;
    document.doc = docx_loom::WordDocument::from_package(
        docx_loom::Package::from_bytes(fixture::docx_bytes_with_document(document_xml), "x.docx"));
    const auto p = document.doc->paragraphs().at(0);
    EXPECT_NE(p.xml().find("<x:p xmlns:x="), std::string::npos) << p.xml();
    EXPECT_EQ(document.get_accepted_text(p), "AB");
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
