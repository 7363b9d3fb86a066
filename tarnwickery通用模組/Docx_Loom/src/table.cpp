#include <docx_loom/word_document.hpp>

#include "detail/word_state.hpp"

#include <string_view>

namespace docx_loom {
namespace {

int grid_span(pugi::xml_node tc, const detail::WordNames& names) {
    const auto span = names.attribute(names.child(names.child(tc, "tcPr"), "gridSpan"), "val").as_int(1);
    return span > 0 ? span : 1;
}

bool continues_vertical_merge(pugi::xml_node tc, const detail::WordNames& names) {
    const auto merge = names.child(names.child(tc, "tcPr"), "vMerge");
    if (!merge) return false;
    const std::string_view value = names.attribute(merge, "val").value();
    return value.empty() || value == "continue";
}

// The w:tc of `row` that covers grid column `column`, or an empty node.
pugi::xml_node cell_at(pugi::xml_node row, int column, const detail::WordNames& names) {
    int position = 0;
    for (auto tc : row.children()) {
        if (!names.is(tc, "tc")) continue;
        const int span = grid_span(tc, names);
        if (column < position + span) return tc;
        position += span;
    }
    return {};
}

// A continuation of a vertical merge stands for the cell that starts the merge.
pugi::xml_node merge_origin(pugi::xml_node row, pugi::xml_node tc, int column,
                            const detail::WordNames& names) {
    while (tc && continues_vertical_merge(tc, names)) {
        row = row.previous_sibling();
        while (row && !names.is(row, "tr")) row = row.previous_sibling();
        if (!row) break;
        auto above = cell_at(row, column, names);
        if (!above) break;
        tc = above;
    }
    return tc;
}

}  // namespace

std::string Cell::text() const {
    std::string text;
    bool first = true;
    for (const auto& paragraph : paragraphs()) {
        if (!first) text += '\n';
        text += paragraph.text();
        first = false;
    }
    return text;
}

void Cell::set_text(std::string_view text) {
    const auto& names = state_->names;
    for (auto child = node_.first_child(); child;) {
        auto next = child.next_sibling();
        if (!names.is(child, "tcPr")) node_.remove_child(child);
        child = next;
    }
    Paragraph(node_.append_child(names.q("p").c_str()), state_).add_run(text);
}

std::vector<Paragraph> Cell::paragraphs() const {
    std::vector<Paragraph> result;
    for (auto child : node_.children())
        if (state_->names.is(child, "p")) result.emplace_back(child, state_);
    return result;
}

std::vector<Cell> Row::cells() const {
    const auto& names = state_->names;
    std::vector<Cell> result;
    int column = 0;
    for (auto tc : node_.children()) {
        if (!names.is(tc, "tc")) continue;
        const int span = grid_span(tc, names);
        const auto origin = merge_origin(node_, tc, column, names);
        for (int i = 0; i < span; ++i) result.emplace_back(origin, state_);
        column += span;
    }
    return result;
}

std::vector<Row> Table::rows() const {
    std::vector<Row> result;
    for (auto child : node_.children())
        if (state_->names.is(child, "tr")) result.emplace_back(child, state_);
    return result;
}

}  // namespace docx_loom
