// A small corpus of templates, one per construct that real documents wrap text in or
// put beside it, and a few for each way real documents were once filled wrongly.
// Filling each must replace its placeholders and keep every other element and every
// other character, a paragraph filled in place must keep its properties, and
// LibreOffice must still read the result.
#include "docx_fixture.hpp"
#include "test_env.hpp"
#include "tools.hpp"

#include <pdf_press/pdf_press.hpp>

#include <gtest/gtest.h>

#include <iostream>
#include <map>
#include <set>
#include <sstream>

namespace {

using Counts = std::map<std::string, int>;

const std::string kHeaderType = "application/vnd.openxmlformats-officedocument.wordprocessingml.header+xml";
const std::string kFooterType = "application/vnd.openxmlformats-officedocument.wordprocessingml.footer+xml";
const std::string kFootnotesType = "application/vnd.openxmlformats-officedocument.wordprocessingml.footnotes+xml";
const std::string kEndnotesType = "application/vnd.openxmlformats-officedocument.wordprocessingml.endnotes+xml";

struct Template {
    std::string name;
    std::string body;
    fixture::Parts parts;
    // Placeholder and replacement; every replacement is a word the PDF must show.
    std::vector<std::pair<std::string, std::string>> plan;
};

std::string run(const std::string& text) { return "<w:r><w:t xml:space=\"preserve\">" + text + "</w:t></w:r>"; }
std::string p(const std::string& inner) { return "<w:p>" + inner + "</w:p>"; }
std::string story(const std::string& root, const std::string& inner) {
    return "<w:" + root + " " + fixture::kStoryNamespaces + ">" + inner + "</w:" + root + ">";
}

std::string text_box(const std::string& text) {
    const std::string content = "<w:txbxContent>" + p(run(text)) + "</w:txbxContent>";
    return "<w:r><mc:AlternateContent><mc:Choice Requires=\"wps\"><w:drawing>"
           "<wp:anchor distT=\"0\" distB=\"0\" distL=\"114300\" distR=\"114300\" simplePos=\"0\" relativeHeight=\"1\" "
           "behindDoc=\"0\" locked=\"0\" layoutInCell=\"1\" allowOverlap=\"1\"><wp:simplePos x=\"0\" y=\"0\"/>"
           "<wp:positionH relativeFrom=\"column\"><wp:posOffset>0</wp:posOffset></wp:positionH>"
           "<wp:positionV relativeFrom=\"paragraph\"><wp:posOffset>0</wp:posOffset></wp:positionV>"
           "<wp:extent cx=\"2743200\" cy=\"457200\"/><wp:effectExtent l=\"0\" t=\"0\" r=\"0\" b=\"0\"/>"
           "<wp:wrapSquare wrapText=\"bothSides\"/><wp:docPr id=\"1\" name=\"Text Box 1\"/><wp:cNvGraphicFramePr/>"
           "<a:graphic><a:graphicData uri=\"http://schemas.microsoft.com/office/word/2010/wordprocessingShape\">"
           "<wps:wsp><wps:cNvSpPr txBox=\"1\"/><wps:spPr><a:xfrm><a:off x=\"0\" y=\"0\"/><a:ext cx=\"2743200\" cy=\"457200\"/>"
           "</a:xfrm><a:prstGeom prst=\"rect\"><a:avLst/></a:prstGeom></wps:spPr><wps:txbx>" +
           content +
           "</wps:txbx><wps:bodyPr rot=\"0\" vert=\"horz\" wrap=\"square\" anchor=\"t\"><a:noAutofit/></wps:bodyPr>"
           "</wps:wsp></a:graphicData></a:graphic></wp:anchor></w:drawing></mc:Choice><mc:Fallback><w:pict>"
           "<v:shape style=\"position:absolute;width:216pt;height:36pt\"><v:textbox>" +
           content + "</v:textbox></v:shape></w:pict></mc:Fallback></mc:AlternateContent></w:r>";
}

std::string picture_run() {
    return "<w:r><w:drawing><wp:inline distT=\"0\" distB=\"0\" distL=\"0\" distR=\"0\"><wp:extent cx=\"457200\" cy=\"228600\"/>"
           "<wp:docPr id=\"7\" name=\"Picture 7\"/><a:graphic><a:graphicData uri=\"http://schemas.openxmlformats.org/drawingml/2006/picture\">"
           "<pic:pic><pic:nvPicPr><pic:cNvPr id=\"7\" name=\"seal.png\"/><pic:cNvPicPr/></pic:nvPicPr>"
           "<pic:blipFill><a:blip r:embed=\"rId1\"/><a:stretch><a:fillRect/></a:stretch></pic:blipFill>"
           "<pic:spPr><a:xfrm><a:off x=\"0\" y=\"0\"/><a:ext cx=\"457200\" cy=\"228600\"/></a:xfrm>"
           "<a:prstGeom prst=\"rect\"><a:avLst/></a:prstGeom></pic:spPr></pic:pic></a:graphicData></a:graphic>"
           "</wp:inline></w:drawing></w:r>";
}

std::string table(const std::string& cells) {
    return "<w:tbl><w:tblPr><w:tblW w:w=\"0\" w:type=\"auto\"/></w:tblPr><w:tblGrid><w:gridCol w:w=\"4500\"/></w:tblGrid>"
           "<w:tr>" + cells + "</w:tr></w:tbl>";
}
std::string cell(const std::string& inner) {
    return "<w:tc><w:tcPr><w:tcW w:w=\"4500\" w:type=\"dxa\"/></w:tcPr>" + inner + "</w:tc>";
}

std::string notes(const std::string& kind, const std::string& text) {
    const std::string note = "w:" + kind;
    return story(kind + "s",
                 "<" + note + " w:type=\"separator\" w:id=\"-1\">" + p("<w:r><w:separator/></w:r>") + "</" + note + ">" +
                 "<" + note + " w:type=\"continuationSeparator\" w:id=\"0\">" + p("<w:r><w:continuationSeparator/></w:r>") +
                 "</" + note + "><" + note + " w:id=\"1\">" + p("<w:r><w:" + kind + "Ref/></w:r>" + run(text)) + "</" +
                 note + ">");
}

std::vector<Template> constructs() {
    const std::string date = "<w:sdt><w:sdtPr><w:alias w:val=\"Date\"/><w:date/></w:sdtPr><w:sdtContent>";
    const std::string end_sdt = "</w:sdtContent></w:sdt>";
    return {
        {"smart tag",
         p(run("Signed on ") +
           "<w:smartTag w:uri=\"urn:schemas-microsoft-com:office:smarttags\" w:element=\"date\">"
           "<w:smartTagPr><w:attr w:name=\"Year\" w:val=\"2003\"/></w:smartTagPr>" + run("6 октября 2003 г.") +
           "</w:smartTag>" + run(" by $$$NAME$$$")),
         {},
         {{"$$$NAME$$$", "Lindqvist"}}},
        {"custom XML in a cell",
         table(cell(p(run("$$$CITY$$$, ") + "<w:customXml w:uri=\"urn:example\" w:element=\"city\">" +
                      run("SAN FRANCISCO") + "</w:customXml>"))),
         {},
         {{"$$$CITY$$$", "Oakland"}}},
        {"inline content control",
         p(run("Due ") + date + run("2024-01-05") + end_sdt + run(" to $$$WHO$$$")) +
             p(run("Paid ") + date + run("$$$PAID$$$") + end_sdt),
         {},
         {{"$$$WHO$$$", "Okafor"}, {"$$$PAID$$$", "Friday"}}},
        {"block content control",
         "<w:sdt><w:sdtPr><w:alias w:val=\"Terms\"/></w:sdtPr><w:sdtContent>" + p(run("Terms for $$$CLIENT$$$")) +
             "</w:sdtContent></w:sdt>",
         {},
         {{"$$$CLIENT$$$", "Nakamura"}}},
        {"direction wrappers",
         p("<w:dir w:val=\"rtl\">" + run("shalom") + "</w:dir>" + run(" $$$GREETING$$$ ") + "<w:bdo w:val=\"ltr\">" +
           run("salaam") + "</w:bdo>"),
         {},
         {{"$$$GREETING$$$", "Hello"}}},
        {"simple field",
         p(run("Printed ") + "<w:fldSimple w:instr=\" DATE \\@ &quot;yyyy&quot; \">" + run("2024") +
           "</w:fldSimple>" + run(" for $$$FOR$$$")),
         {},
         {{"$$$FOR$$$", "Haddad"}}},
        {"complex field",
         p(run("Page ") + "<w:r><w:fldChar w:fldCharType=\"begin\"/></w:r>"
           "<w:r><w:instrText xml:space=\"preserve\"> PAGE </w:instrText></w:r>"
           "<w:r><w:fldChar w:fldCharType=\"separate\"/></w:r>" + run("1") +
           "<w:r><w:fldChar w:fldCharType=\"end\"/></w:r>" + run(" of $$$DOC$$$")),
         {},
         {{"$$$DOC$$$", "Ledger"}}},
        {"ruby",
         p(run("Name $$$KANJI$$$ ") +
           "<w:ruby><w:rubyPr><w:rubyAlign w:val=\"center\"/><w:hps w:val=\"10\"/><w:hpsRaise w:val=\"18\"/>"
           "<w:hpsBaseText w:val=\"21\"/><w:lid w:val=\"ja-JP\"/></w:rubyPr><w:rt>" + run("kan") + "</w:rt><w:rubyBase>" +
           run("漢") + "</w:rubyBase></w:ruby>"),
         {},
         {{"$$$KANJI$$$", "Tanaka"}}},
        {"text box beside a placeholder",
         p(run("Body $$$BODY$$$ ") + text_box("Box stays as it is")),
         {},
         {{"$$$BODY$$$", "Mbeki"}}},
        {"placeholder inside a text box",
         p(run("Body text ") + text_box("Box for $$$BOX$$$")),
         {},
         {{"$$$BOX$$$", "Svensson"}}},
        {"picture beside a placeholder",
         p(run("Seal of $$$OWNER$$$ ") + picture_run()),
         fixture::related_parts({{"word/media/image1.png", "image", "", fixture::png_bytes(8, 4)}}),
         {{"$$$OWNER$$$", "Kowalski"}}},
        {"footnote reference",
         p(run("Claim by $$$CLAIMANT$$$") + "<w:r><w:rPr><w:vertAlign w:val=\"superscript\"/></w:rPr>"
                                             "<w:footnoteReference w:id=\"1\"/></w:r>"),
         fixture::related_parts({{"word/footnotes.xml", "footnotes", kFootnotesType,
                                  notes("footnote", " See $$$SOURCE$$$.")}}),
         {{"$$$CLAIMANT$$$", "Fernandes"}, {"$$$SOURCE$$$", "Annex"}}},
        {"endnote reference",
         p(run("Total $$$TOTAL$$$") + "<w:r><w:endnoteReference w:id=\"1\"/></w:r>"),
         fixture::related_parts({{"word/endnotes.xml", "endnotes", kEndnotesType,
                                  notes("endnote", " Audited by $$$AUDITOR$$$.")}}),
         {{"$$$TOTAL$$$", "Ninety"}, {"$$$AUDITOR$$$", "Eriksen"}}},
        {"bookmark",
         p(run("Amount: ") + "<w:bookmarkStart w:id=\"0\" w:name=\"Amount\"/>" + run("$$$AMOUNT$$$") +
           "<w:bookmarkEnd w:id=\"0\"/>"),
         {},
         {{"$$$AMOUNT$$$", "Twelve"}}},
        {"hyperlink",
         p(run("Contact $$$CONTACT$$$ at ") + "<w:hyperlink w:anchor=\"_top\" w:history=\"1\">" + run("our office") +
           "</w:hyperlink>"),
         {},
         {{"$$$CONTACT$$$", "Moreau"}}},
        {"nested table in a matched cell",
         table(cell(p(run("Cell $$$CELL$$$")) + table(cell(p(run("inner text")))) + "<w:p/>")),
         {},
         {{"$$$CELL$$$", "Outer"}}},
        {"header and footer",
         p(run("Body")) + "<w:sectPr><w:headerReference w:type=\"default\" r:id=\"rId1\"/>"
                          "<w:footerReference w:type=\"default\" r:id=\"rId2\"/>"
                          "<w:pgSz w:w=\"11906\" w:h=\"16838\"/><w:pgMar w:top=\"1440\" w:right=\"1440\" "
                          "w:bottom=\"1440\" w:left=\"1440\" w:header=\"720\" w:footer=\"720\" w:gutter=\"0\"/></w:sectPr>",
         fixture::related_parts({{"word/header1.xml", "header", kHeaderType, story("hdr", p(run("Header $$$HEAD$$$")))},
                                 {"word/footer1.xml", "footer", kFooterType,
                                  story("ftr", table(cell(p(run("$$$FOOT$$$")))) + p(""))}}),
         {{"$$$HEAD$$$", "Letterhead"}, {"$$$FOOT$$$", "Footing"}}},
        {"moved text",
         p("<w:moveFromRangeStart w:id=\"1\" w:author=\"a\" w:name=\"move1\"/><w:moveFrom w:id=\"2\" w:author=\"a\">" +
           run("moved words") + "</w:moveFrom><w:moveFromRangeEnd w:id=\"1\"/>" + run(" stay with $$$MOVED$$$")) +
             p(run("Target: ") + "<w:moveToRangeStart w:id=\"3\" w:author=\"a\" w:name=\"move1\"/>"
                                 "<w:moveTo w:id=\"4\" w:author=\"a\">" + run("moved words") +
               "</w:moveTo><w:moveToRangeEnd w:id=\"3\"/>"),
         {},
         {{"$$$MOVED$$$", "Quartered"}}},
    };
}

const std::string kPageBreak = "<w:r><w:br w:type=\"page\"/></w:r>";
const std::string kBookmark = "<w:bookmarkStart w:id=\"9\" w:name=\"mark\"/><w:bookmarkEnd w:id=\"9\"/>";
const std::string kControl = "<w:sdt><w:sdtPr><w:alias w:val=\"Item\"/></w:sdtPr><w:sdtContent>";
const std::string kEndControl = "</w:sdtContent></w:sdt>";

// Page breaks beside words a plan replaces, breaks, tabs and hyphens in places the
// fill rewrites, rows and cells in content controls, and places filled in place that
// have a layout of their own.
std::vector<Template> hard_cases() {
    return {
        {"page break beside a plan word", p(run("Next page") + kPageBreak + run("Index")), {}, {{"page", "leaf"}}},
        {"a plan word inside the page marker", p(run("Wage") + kPageBreak + run("Stage $$$S$$$")), {},
         {{"$$$S$$$", "two"}, {"age", "era"}}},
        {"breaks, tabs and hyphens in a rewritten paragraph",
         p(run("Name: $$$N$$$") + "<w:r><w:br/><w:t>Tel</w:t><w:tab/><w:t>02</w:t><w:noBreakHyphen/><w:t>12</w:t>"
                                  "<w:softHyphen/><w:t>34</w:t></w:r>"),
         {}, {{"$$$N$$$", "Wang"}}},
        {"hyphens in a rewritten cell",
         table(cell(p(run("$$$C$$$ 02") + "<w:r><w:noBreakHyphen/><w:t>12</w:t><w:softHyphen/><w:t>34</w:t></w:r>"))),
         {}, {{"$$$C$$$", "Phone"}}},
        {"row and cell in content controls",
         "<w:tbl><w:tblGrid><w:gridCol w:w=\"4500\"/><w:gridCol w:w=\"4500\"/></w:tblGrid>" + kControl + "<w:tr>" +
             cell(p(run("$$$ITEM$$$"))) + cell(p(run("$$$PRICE$$$"))) + "</w:tr>" + kEndControl + "<w:tr>" + kControl +
             cell(p(run("Due $$$DUE$$$"))) + kEndControl + cell(p(run("Paid"))) + "</w:tr></w:tbl>",
         {}, {{"$$$ITEM$$$", "Lamp"}, {"$$$PRICE$$$", "Forty"}, {"$$$DUE$$$", "Monday"}}},
        {"paragraph and cell with a layout of their own, filled in place",
         p("<w:pPr><w:jc w:val=\"right\"/><w:ind w:left=\"720\"/><w:spacing w:line=\"360\" w:lineRule=\"auto\"/>"
           "</w:pPr>" + kBookmark + run("Signed by $$$SIGNER$$$")) +
             table(cell(p("<w:pPr><w:jc w:val=\"right\"/></w:pPr><w:bookmarkStart w:id=\"8\" w:name=\"sum\"/>"
                          "<w:bookmarkEnd w:id=\"8\"/>" + run("$$$SUM$$$ dollars")))),
         {}, {{"$$$SIGNER$$$", "Ibrahim"}, {"$$$SUM$$$", "Nine"}}},
    };
}

std::vector<Template> corpus() {
    auto templates = constructs();
    auto hard = hard_cases();
    templates.insert(templates.end(), hard.begin(), hard.end());
    return templates;
}

std::string document_xml(const std::string& body) {
    return std::string("<w:document ") + fixture::kStoryNamespaces + "><w:body>" + body + "</w:body></w:document>";
}

bool is_story_part(const std::string& name) {
    return name.starts_with("word/") && name.ends_with(".xml") && name.find("_rels") == std::string::npos;
}

// Elements by qualified name, and the text of every w:t in document order, over the
// parts that hold text.
struct Census {
    Counts elements;
    std::map<std::string, std::string> text;  // by part
};

Census census(const docx_loom::Package& package) {
    Census result;
    for (const auto& name : package.part_names()) {
        if (!is_story_part(name)) continue;
        pugi::xml_document xml;
        const auto& bytes = package.part(name);
        xml.load_buffer(bytes.data(), bytes.size(), pugi::parse_default | pugi::parse_ws_pcdata);
        struct Walker : pugi::xml_tree_walker {
            Census* census;
            std::string part;
            bool for_each(pugi::xml_node& node) override {
                if (node.type() != pugi::node_element) return true;
                const bool page_break = std::string_view(node.name()) == "w:br" &&
                                        std::string_view(node.attribute("w:type").value()) == "page";
                ++census->elements[page_break ? "w:br page" : node.name()];
                if (std::string_view(node.name()) == "w:t") census->text[part] += node.text().get();
                return true;
            }
        } walker;
        walker.census = &result;
        walker.part = name;
        xml.traverse(walker);
    }
    return result;
}

std::string replaced(std::string text, const std::string& placeholder, const std::string& value) {
    for (auto at = text.find(placeholder); at != std::string::npos; at = text.find(placeholder, at + value.size()))
        text.replace(at, placeholder.size(), value);
    return text;
}

// Elements that the fill writes or rewrites on purpose: runs and their text, and the
// formatting of a plan entry.
bool formatting(const std::string& name) {
    static const std::set<std::string> names = {"w:r", "w:t", "w:rPr", "w:rFonts", "w:sz", "w:color",
                                                "w:pPr", "w:jc", "w:ind", "w:spacing"};
    return names.contains(name);
}

std::string properties_of(pugi::xml_node paragraph) {
    std::ostringstream out;
    paragraph.child("w:pPr").print(out, "", pugi::format_raw);
    return out.str();
}

// The paragraphs the fill changes in place, those that hold more than text, with their
// properties before the fill.
std::vector<std::pair<pugi::xml_node, std::string>> paragraphs_filled_in_place(const docx_loom::WordDocument& doc) {
    std::vector<std::pair<pugi::xml_node, std::string>> found;
    for (const auto& place : doc.places()) {
        if (place.paragraph && !place.paragraph.holds_only_text())
            found.emplace_back(place.paragraph.node(), properties_of(place.paragraph.node()));
        if (place.cell && !place.cell.holds_only_text())
            for (const auto& paragraph : place.cell.paragraphs())
                found.emplace_back(paragraph.node(), properties_of(paragraph.node()));
    }
    return found;
}

struct Filled {
    std::string bytes;
    int lost_elements = 0;
    int placeholders_left = 0;
    int properties_changed = 0;
    std::vector<std::string> faults;
};

Filled fill(const Template& t) {
    docx_loom::Document document;
    document.doc = docx_loom::WordDocument::from_package(
        docx_loom::Package::from_bytes(fixture::docx_bytes_with_document(document_xml(t.body), t.parts), t.name));
    const Census before = census(document.doc->package());
    const auto in_place = paragraphs_filled_in_place(*document.doc);
    for (const auto& [placeholder, value] : t.plan) document.set(placeholder, value);
    document.execute_set();

    Filled filled;
    for (const auto& [paragraph, properties] : in_place) {
        if (properties_of(paragraph) == properties) continue;
        ++filled.properties_changed;
        filled.faults.push_back("a paragraph filled in place changed its properties from '" + properties + "' to '" +
                                properties_of(paragraph) + "'");
    }
    filled.bytes = document.doc->save_to_bytes();
    const Census after = census(docx_loom::Package::from_bytes(filled.bytes, t.name));
    for (const auto& [part, text] : before.text) {
        std::string expected = text;
        for (const auto& [placeholder, value] : t.plan) expected = replaced(expected, placeholder, value);
        const auto found = after.text.find(part);
        const std::string actual = found == after.text.end() ? "" : found->second;
        if (actual != expected)
            filled.faults.push_back(part + " reads \"" + actual + "\" instead of \"" + expected + "\"");
    }
    for (const auto& [placeholder, value] : t.plan)
        for (const auto& [part, text] : after.text)
            if (text.find(placeholder) != std::string::npos) ++filled.placeholders_left;
    for (const auto& [name, count] : before.elements) {
        if (formatting(name)) continue;
        const auto found = after.elements.find(name);
        const int now = found == after.elements.end() ? 0 : found->second;
        if (now < count) filled.lost_elements += count - now;
        if (now != count)
            filled.faults.push_back(name + ": " + std::to_string(count) + " before, " + std::to_string(now) + " after");
    }
    for (const auto& [name, count] : after.elements)
        if (!formatting(name) && !before.elements.contains(name))
            filled.faults.push_back(name + ": new, " + std::to_string(count) + " after");
    return filled;
}

}  // namespace

TEST(FillCorpus, EveryConstructKeepsItsElementsAndText) {
    int lost = 0, faulty = 0, left = 0, properties = 0;
    for (const auto& t : corpus()) {
        const Filled filled = fill(t);
        lost += filled.lost_elements;
        left += filled.placeholders_left;
        properties += filled.properties_changed;
        faulty += filled.faults.empty() ? 0 : 1;
        for (const auto& fault : filled.faults) ADD_FAILURE() << t.name << ": " << fault;
    }
    std::cout << "corpus: " << corpus().size() << " templates, " << faulty << " filled wrongly, " << left
              << " placeholders left, " << lost << " elements lost, " << properties
              << " paragraphs filled in place with changed properties\n";
}

TEST(FillCorpus, LibreOfficeReadsEveryFilledTemplate) {
    if (!tools::require("soffice", "libreoffice-writer-nogui") || !tools::require("pdftotext", "poppler-utils"))
        return;
    const std::string folder = tools::fresh_folder("corpus");
    // The converter sits in the build's program folder, not beside the test.
    ScopedEnv program_folder{"TARNWICKERY_PDF_PRESS_DIR", tools::program_dir().c_str()};
    Pdf_Press press;
    int index = 0;
    for (const auto& t : corpus()) {
        const std::string stem = folder + "case" + std::to_string(++index);
        fixture::write_file(stem + ".docx", fill(t).bytes);
        try {
            press.convert(stem + ".docx", stem + ".pdf", true);
        } catch (const std::exception& error) {
            ADD_FAILURE() << t.name << ": " << error.what();
            continue;
        }
        const auto text = tools::pdf_text_without_spaces(stem + ".pdf");
        for (const auto& [placeholder, value] : t.plan) {
            EXPECT_NE(text.find(value), std::string::npos) << t.name << ": " << value << " is not in\n" << text;
            EXPECT_EQ(text.find(placeholder), std::string::npos) << t.name << ": " << placeholder << " is left in\n" << text;
        }
    }
}
