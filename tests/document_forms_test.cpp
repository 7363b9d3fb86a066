// Forms of WordprocessingML the engine meets besides the usual one: XML comments,
// which it keeps, and ISO/IEC 29500 Strict documents, which it refuses saying so.
#include "docx_fixture.hpp"

#include <docx_loom/errors.hpp>

#include <gtest/gtest.h>

using docx_loom::Document;
using docx_loom::Package;
using docx_loom::WordDocument;

TEST(DocumentForms, CommentsInAFilledPartStay) {
    Document document = fixture::loaded("<!-- made by hand --><w:p><w:r><w:t>{A}</w:t></w:r><!-- in a paragraph -->"
                                        "<w:bookmarkStart w:id=\"0\" w:name=\"b\"/><w:bookmarkEnd w:id=\"0\"/></w:p>");
    document.set("{A}", "filled");
    document.execute_set();
    const std::string saved = Package::from_bytes(document.doc->save_to_bytes(), "saved").part("word/document.xml");
    EXPECT_NE(saved.find("<!-- made by hand -->"), std::string::npos) << saved;
    EXPECT_NE(saved.find("<!-- in a paragraph -->"), std::string::npos) << saved;
    EXPECT_NE(saved.find(">filled<"), std::string::npos) << saved;
}

TEST(DocumentForms, StrictDocumentsAreRefusedSayingSo) {
    const std::string strict_main = "http://purl.oclc.org/ooxml/wordprocessingml/main";
    const std::string document_xml = "<w:document xmlns:w=\"" + strict_main +
                                     "\"><w:body><w:p><w:r><w:t>{A}</w:t></w:r></w:p></w:body></w:document>";
    const std::string strict_rels =
        R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
        R"(<Relationship Id="rId1" Type="http://purl.oclc.org/ooxml/officeDocument/relationships/officeDocument" )"
        R"(Target="word/document.xml"/></Relationships>)";
    // Strict throughout, and a Strict main part behind a transitional relationship.
    for (const auto& parts : {fixture::Parts{{"_rels/.rels", strict_rels}}, fixture::Parts{}}) {
        const auto bytes = fixture::docx_bytes_with_document(document_xml, parts);
        try {
            WordDocument::from_package(Package::from_bytes(bytes, "strict.docx"));
            ADD_FAILURE() << "a Strict document was opened";
        } catch (const docx_loom::PackageError& error) {
            const std::string message = error.what();
            EXPECT_NE(message.find("'strict.docx' is saved as Strict Open XML, which is not supported"),
                      std::string::npos)
                << message;
        }
    }
}
