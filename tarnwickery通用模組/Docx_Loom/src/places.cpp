// The places the fill visits, in every part that holds text.
#include <docx_loom/word_document.hpp>

#include "detail/inline_content.hpp"
#include "detail/word_state.hpp"

#include <utility>
#include <vector>

namespace docx_loom {
namespace {

// The text boxes among the paragraph's runs, in document order, each with whether it
// lies in the mc:Fallback branch of alternate content. Text boxes inside a text box
// are that text box's own.
std::vector<std::pair<pugi::xml_node, bool>> text_boxes(pugi::xml_node paragraph, const detail::WordNames& names) {
    std::vector<std::pair<pugi::xml_node, bool>> found;
    for (pugi::xml_node node = paragraph.first_child(); node;) {
        if (names.is(node, "txbxContent")) {
            bool fallback = false;
            for (auto up = node.parent(); up != paragraph; up = up.parent())
                fallback = fallback || detail::is_in(up, detail::kMarkupCompatibility, "Fallback");
            found.emplace_back(node, fallback);
        } else if (node.first_child()) {
            node = node.first_child();
            continue;
        }
        while (node != paragraph && !node.next_sibling()) node = node.parent();
        node = node == paragraph ? pugi::xml_node{} : node.next_sibling();
    }
    return found;
}

// One step of the walk: a story or a cell's content to open, or a block or cell met.
struct Step {
    // A cell's own paragraphs are read as the cell: only what they hold is visited.
    enum Kind { story, cell_content, paragraph, cell_paragraph, table, cell } kind;
    pugi::xml_node node;
    bool fallback = false;
};

void add_places(detail::StoryPart& part, pugi::xml_node story, std::vector<Place>& places) {
    const auto& names = part.names;
    std::vector<Step> pending{{Step::story, story, false}};
    std::vector<Step> next;  // the steps one step leads to, in document order
    while (!pending.empty()) {
        const Step step = pending.back();
        pending.pop_back();
        next.clear();
        switch (step.kind) {
        case Step::story:
        case Step::cell_content:
            detail::for_each_block(step.node, names, [&](pugi::xml_node block) {
                const auto paragraph = step.kind == Step::story ? Step::paragraph : Step::cell_paragraph;
                next.push_back({names.is(block, "tbl") ? Step::table : paragraph, block, step.fallback});
            });
            break;
        case Step::paragraph:
        case Step::cell_paragraph:
            if (step.kind == Step::paragraph)
                places.push_back({Paragraph(step.node, &part), {}, part.name, step.fallback});
            for (const auto& [box, fallback] : text_boxes(step.node, names))
                next.push_back({Step::story, box, step.fallback || fallback});
            break;
        case Step::table:
            // Each cell once: a fill that visited a merged cell once per grid column would
            // apply the plan to it again on every visit.
            for (const Cell& cell : Table(step.node, &part).cells())
                next.push_back({Step::cell, cell.node(), step.fallback});
            break;
        case Step::cell:
            places.push_back({{}, Cell(step.node, &part), part.name, step.fallback});
            next.push_back({Step::cell_content, step.node, step.fallback});
            break;
        }
        pending.insert(pending.end(), next.rbegin(), next.rend());
    }
}

}  // namespace

std::vector<Place> WordDocument::places() const {
    std::vector<Place> places;
    add_places(state_->main, body(), places);
    for (const auto& part : state_->other_parts) {
        const auto root = part->xml.document_element();
        const auto& names = part->names;
        if (names.is(root, "hdr") || names.is(root, "ftr")) {
            add_places(*part, root, places);
        } else {
            for (auto note : root.children())
                if (names.is(note, "footnote") || names.is(note, "endnote")) add_places(*part, note, places);
        }
    }
    return places;
}

}  // namespace docx_loom
