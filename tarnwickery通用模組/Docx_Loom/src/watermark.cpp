// A text watermark as Word makes one: a WordArt shape behind the text, in the headers,
// so that it stands on every page.
#include "detail/namespaces.hpp"
#include "detail/word_state.hpp"
#include "detail/xml_text.hpp"

#include <docx_loom/errors.hpp>
#include <docx_loom/word_document.hpp>

#include <i18n/tr.hpp>

#include <cmath>
#include <cstdio>
#include <set>
#include <string>

namespace docx_loom {
namespace {

constexpr const char* kVml = "urn:schemas-microsoft-com:vml";
constexpr const char* kOffice = "urn:schemas-microsoft-com:office:office";
constexpr const char* kHeaderRel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/header";
constexpr const char* kHeaderType = "application/vnd.openxmlformats-officedocument.wordprocessingml.header+xml";

// Word's WordArt shape type "plain text", which stretches its text over the shape.
constexpr const char* kTextShapeType =
    R"(<v:shapetype xmlns:v="urn:schemas-microsoft-com:vml" xmlns:o="urn:schemas-microsoft-com:office:office")"
    R"( id="_x0000_t136" coordsize="21600,21600" o:spt="136" adj="10800" path="m@7,l@8,m@5,21600l@6,21600e">)"
    R"(<v:formulas><v:f eqn="sum #0 0 10800"/><v:f eqn="prod #0 2 1"/><v:f eqn="sum 21600 0 @1"/>)"
    R"(<v:f eqn="sum 0 0 @2"/><v:f eqn="sum 21600 0 @3"/><v:f eqn="if @0 @3 0"/><v:f eqn="if @0 21600 @1"/>)"
    R"(<v:f eqn="if @0 0 @2"/><v:f eqn="if @0 @4 21600"/><v:f eqn="mid @5 @6"/><v:f eqn="mid @8 @5"/>)"
    R"(<v:f eqn="mid @7 @8"/><v:f eqn="mid @6 @7"/><v:f eqn="sum @6 0 @5"/></v:formulas>)"
    R"(<v:path textpathok="t" o:connecttype="custom" o:connectlocs="@9,0;@10,10800;@11,21600;@12,10800")"
    R"( o:connectangles="270,180,90,0"/><v:textpath on="t" fitshape="t"/><o:lock v:ext="edit" text="t" shapetype="t"/>)"
    R"(</v:shapetype>)";

// A header of one empty paragraph a point high, which pushes no text down; the mark is
// added to it like to any other header.
constexpr const char* kMarkHeader =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    R"(<w:hdr xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main"><w:p><w:pPr>)"
    R"(<w:spacing w:before="0" w:after="0" w:line="20" w:lineRule="exact"/><w:rPr><w:sz w:val="2"/></w:rPr>)"
    R"(</w:pPr></w:p></w:hdr>)";

// A4 portrait, for a section that does not give its page size.
constexpr double kDefaultPageWidthPt = 595.3, kDefaultPageHeightPt = 841.9;

struct Mark {
    std::string text;
    std::string font;
    double width_pt;
    double height_pt;
};

// The page of the first section, in points.
std::pair<double, double> page_size(const detail::WordNames& names, pugi::xml_node section) {
    const auto size = names.child(section, "pgSz");
    const auto read = [&](std::string_view local, double fallback) {
        const double twips = names.attribute(size, local).as_double(0);
        return twips > 0 ? twips / 20 : fallback;
    };
    return {read("w", kDefaultPageWidthPt), read("h", kDefaultPageHeightPt)};
}

// Puts the mark at the start of the part's first paragraph, in a run of its own.
void place_mark(detail::StoryPart& part, const Mark& mark, unsigned number) {
    const auto& names = part.names;
    auto root = part.xml.document_element();
    auto paragraph = names.child(root, "p");
    if (!paragraph) paragraph = root.append_child(names.q("p").c_str());
    auto properties = names.child(paragraph, "pPr");
    auto run = properties ? paragraph.insert_child_after(names.q("r").c_str(), properties)
                          : paragraph.prepend_child(names.q("r").c_str());
    auto picture = run.append_child(names.q("pict").c_str());
    pugi::xml_document shape_type;
    shape_type.load_string(kTextShapeType);
    // Declared on w:pict so that the shape is valid whatever the part's root binds.
    picture.append_attribute("xmlns:v") = kVml;
    picture.append_attribute("xmlns:o") = kOffice;
    auto type = picture.append_copy(shape_type.document_element());
    type.remove_attribute("xmlns:v");
    type.remove_attribute("xmlns:o");

    auto shape = picture.append_child("v:shape");
    shape.append_attribute("id") = ("PowerPlusWaterMarkObject" + std::to_string(number)).c_str();
    shape.append_attribute("o:spid") = ("_x0000_s" + std::to_string(2048 + number)).c_str();
    shape.append_attribute("type") = "#_x0000_t136";
    char style[400];
    std::snprintf(style, sizeof style,
                  "position:absolute;margin-left:0;margin-top:0;width:%.1fpt;height:%.1fpt;rotation:315;"
                  "z-index:-251654144;mso-position-horizontal:center;mso-position-horizontal-relative:page;"
                  "mso-position-vertical:center;mso-position-vertical-relative:page",
                  mark.width_pt, mark.height_pt);
    shape.append_attribute("style") = style;
    shape.append_attribute("o:allowincell") = "f";
    shape.append_attribute("fillcolor") = "silver";
    shape.append_attribute("stroked") = "f";
    shape.append_child("v:fill").append_attribute("opacity") = ".5";
    auto text_path = shape.append_child("v:textpath");
    text_path.append_attribute("style") = ("font-family:\"" + mark.font + "\";font-size:1pt").c_str();
    text_path.append_attribute("string") = mark.text.c_str();
}

// The header part, new in the package, that pages without a header get for the mark.
detail::StoryPart& new_header(detail::WordState& state) {
    const std::string folder = state.main.name.substr(0, state.main.name.rfind('/') + 1);
    std::string name;
    unsigned number = 1;
    do name = folder + "header-watermark" + std::to_string(number++) + ".xml";
    while (state.package.has_part(name));
    state.package.set_part(name, kMarkHeader);
    auto story = std::make_unique<detail::StoryPart>();
    story->load(state, name);
    state.other_parts_as_parsed.emplace_back();  // written out on save
    state.other_parts.push_back(std::move(story));
    state.declare_part(name, kHeaderType);
    return *state.other_parts.back();
}

bool has_title_page(const detail::WordNames& names, pugi::xml_node section) {
    const auto title_page = names.child(section, "titlePg");
    if (!title_page) return false;
    const std::string_view value = names.attribute(title_page, "val").value();
    return value != "0" && value != "false" && value != "off";
}

}  // namespace

void WordDocument::add_watermark(std::string_view text, std::string_view font) {
    for (const std::string_view given : {text, font}) {
        if (const auto problem = detail::xml_text_problem(given))
            throw TemplateError(i18n::tr("the watermark {1}", {*problem}));
        if (given.empty() || given.find_first_of("\t\n\r") != std::string_view::npos)
            throw TemplateError(i18n::tr("a watermark and its font are one line of text, not empty"));
    }
    // The font's name is written into a style declaration, in quotes.
    if (font.find_first_of("\";") != std::string_view::npos)
        throw TemplateError(i18n::tr("the watermark's font '{1}' holds a quote or a semicolon", {std::string(font)}));
    detail::WordState& state = *state_;
    const auto& names = state.main.names;

    std::vector<pugi::xml_node> sections;
    for (auto child : body().children()) {
        if (names.is(child, "p")) {
            if (auto section = names.child(names.child(child, "pPr"), "sectPr")) sections.push_back(section);
        } else if (names.is(child, "sectPr")) {
            sections.push_back(child);
        }
    }
    if (sections.empty() || !names.is(sections.back().parent(), "body"))
        sections.push_back(body().append_child(names.q("sectPr").c_str()));

    const auto [page_width, page_height] = page_size(names, sections.back());
    const double length = 0.6 * std::hypot(page_width, page_height);
    const Mark mark{std::string(text), std::string(font), length, length / 2};

    detail::StoryPart* own_header = nullptr;
    std::string own_header_id;
    std::set<std::string> marked;
    unsigned number = 0;
    const auto mark_part = [&](detail::StoryPart& part) {
        if (marked.insert(part.name).second) place_mark(part, mark, ++number);
    };
    // A section without a header of a kind shows the previous section's; only where no
    // section before had one does the page have none, and gets the mark's own header.
    for (const char* kind : {"default", "first", "even"}) {
        bool shown = false;
        for (auto section : sections) {
            pugi::xml_node reference;
            for (auto child : section.children())
                if (names.is(child, "headerReference") && std::string_view(names.attribute(child, "type").value()) == kind)
                    reference = child;
            if (reference) {
                std::string id;
                for (auto attribute : reference.attributes())
                    if (detail::local_name(attribute.name()) == "id") id = attribute.value();
                if (detail::StoryPart* part = state.story(state.main.part_of_relationship(id))) mark_part(*part);
                shown = true;
                continue;
            }
            const bool needed =
                std::string_view(kind) == "default" || (std::string_view(kind) == "first" && has_title_page(names, section));
            if (shown || !needed) continue;
            if (!own_header) {
                own_header = &new_header(state);
                own_header_id = state.main.add_relationship(
                    kHeaderRel, own_header->name.substr(state.main.name.rfind('/') + 1));
                mark_part(*own_header);
            }
            // References come first in a section's properties.
            auto added = section.prepend_child(names.q("headerReference").c_str());
            names.set_attribute(added, "type", kind);
            if (detail::namespace_uri(section, "r") != detail::kRelationshipsNs)
                added.append_attribute("xmlns:r") = detail::kRelationshipsNs;
            added.append_attribute("r:id") = own_header_id.c_str();
            shown = true;
        }
    }
}

}  // namespace docx_loom
