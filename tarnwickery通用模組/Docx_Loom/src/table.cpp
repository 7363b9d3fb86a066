#include <docx_loom/word_document.hpp>

#include "detail/inline_content.hpp"
#include "detail/word_state.hpp"
#include "detail/xml_text.hpp"

#include <docx_loom/errors.hpp>
#include <i18n/tr.hpp>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace docx_loom {
namespace {

// Grid columns are counted in 64 bits: a row of spans as large as an int holds adds
// up past one.
using Column = std::int64_t;

Column grid_span(pugi::xml_node tc, const detail::WordNames& names) {
    const auto span = names.attribute(names.child(names.child(tc, "tcPr"), "gridSpan"), "val").as_int(1);
    return span > 0 ? span : 1;
}

bool continues_vertical_merge(pugi::xml_node tc, const detail::WordNames& names) {
    const auto merge = names.child(names.child(tc, "tcPr"), "vMerge");
    if (!merge) return false;
    const std::string_view value = names.attribute(merge, "val").value();
    return value.empty() || value == "continue";
}

// The rows of a table and the cells of a row, in document order, those wrapped in
// row-level and cell-level content controls (or custom XML) included.
std::vector<pugi::xml_node> rows_of(pugi::xml_node table, const detail::WordNames& names) {
    std::vector<pugi::xml_node> rows;
    detail::for_each_unwrapped(table, names, [&](pugi::xml_node node) {
        if (names.is(node, "tr")) rows.push_back(node);
    });
    return rows;
}

std::vector<pugi::xml_node> cells_of(pugi::xml_node row, const detail::WordNames& names) {
    std::vector<pugi::xml_node> cells;
    detail::for_each_unwrapped(row, names, [&](pugi::xml_node node) {
        if (names.is(node, "tc")) cells.push_back(node);
    });
    return cells;
}

// The nearest ancestor `local` of a node, through any content controls between them.
pugi::xml_node enclosing(pugi::xml_node node, std::string_view local, const detail::WordNames& names) {
    for (node = node.parent(); node && !names.is(node, local);) node = node.parent();
    return node;
}

// The row before `row` in its table, or an empty node.
pugi::xml_node previous_row(pugi::xml_node row, const detail::WordNames& names) {
    pugi::xml_node previous;
    for (auto other : rows_of(enclosing(row, "tbl", names), names)) {
        if (other == row) return previous;
        previous = other;
    }
    return {};
}

// The w:tc of `row` that covers grid column `column`, or an empty node.
pugi::xml_node cell_at(pugi::xml_node row, Column column, const detail::WordNames& names) {
    Column position = 0;
    for (auto tc : cells_of(row, names)) {
        const Column span = grid_span(tc, names);
        if (column < position + span) return tc;
        position += span;
    }
    return {};
}

// How many grid columns the cells of `row` cover.
Column grid_columns(pugi::xml_node row, const detail::WordNames& names) {
    Column columns = 0;
    for (auto tc : cells_of(row, names)) columns += grid_span(tc, names);
    return columns;
}

// A continuation of a vertical merge stands for the cell that starts the merge.
pugi::xml_node merge_origin(pugi::xml_node row, pugi::xml_node tc, Column column, const detail::WordNames& names) {
    while (tc && continues_vertical_merge(tc, names)) {
        row = previous_row(row, names);
        if (!row) break;
        auto above = cell_at(row, column, names);
        if (!above) break;
        tc = above;
    }
    return tc;
}

constexpr std::array<std::string_view, 4> kVerticalAlignments = {"top", "center", "bottom", "both"};
// A4 with margins of one inch, for a document that states no page size.
constexpr int kFallbackTextWidth = 11906 - 2 * 1440;

std::string twips(Length length) { return std::to_string(std::llround(length.pt() * 20)); }

pugi::xml_node cell_properties(pugi::xml_node tc, const detail::WordNames& names) {
    if (auto existing = names.child(tc, "tcPr")) return existing;
    return tc.prepend_child(names.q("tcPr").c_str());
}

pugi::xml_node cell_property(pugi::xml_node tc, const detail::WordNames& names, std::string_view local) {
    return names.ensure_child(cell_properties(tc, names), local, detail::cell_properties_order());
}

// The grid column at which `tc` starts in its row.
Column first_column(pugi::xml_node tc, const detail::WordNames& names) {
    Column column = 0;
    for (auto other : cells_of(enclosing(tc, "tr", names), names)) {
        if (other == tc) break;
        column += grid_span(other, names);
    }
    return column;
}

// A cell holding one paragraph with nothing but properties adds nothing to a merge.
bool is_blank(pugi::xml_node tc, const detail::WordNames& names) {
    int paragraphs = 0;
    for (auto child : tc.children()) {
        if (child.type() != pugi::node_element || names.is(child, "tcPr")) continue;
        if (!names.is(child, "p") || ++paragraphs > 1) return false;
        for (auto inner : child.children())
            if (inner.type() == pugi::node_element && !names.is(inner, "pPr")) return false;
    }
    return true;
}

std::optional<long long> dxa_width(pugi::xml_node tc, const detail::WordNames& names) {
    const auto width = names.child(names.child(tc, "tcPr"), "tcW");
    if (!width || std::string_view(names.attribute(width, "type").value()) != "dxa") return std::nullopt;
    return names.attribute(width, "w").as_llong();
}

// The width between the margins of the body's last section, in twentieths of a point.
int text_width(pugi::xml_node body, const detail::WordNames& names) {
    const auto section = names.child(body, "sectPr");
    // In 64 bits, so that no page and margins a file gives can overflow.
    const std::int64_t page = names.attribute(names.child(section, "pgSz"), "w").as_int();
    const auto margins = names.child(section, "pgMar");
    const std::int64_t width =
        page - names.attribute(margins, "left").as_int() - names.attribute(margins, "right").as_int();
    const bool fits = page > 0 && width > 0 && width <= std::numeric_limits<int>::max();
    return fits ? static_cast<int>(width) : kFallbackTextWidth;
}

}  // namespace

std::string Cell::text() const { return text(TextReading::plain); }

std::string Cell::text(TextReading reading) const {
    std::string text;
    bool first = true;
    for (const auto& paragraph : paragraphs()) {
        if (!first) text += '\n';
        text += paragraph.text(reading);
        first = false;
    }
    return text;
}

void Cell::set_text(std::string_view text) {
    detail::require_xml_text(text, i18n::tr("cell text"), true);
    const auto& names = part_->names;
    for (auto child = node_.first_child(); child;) {
        auto next = child.next_sibling();
        if (!names.is(child, "tcPr")) node_.remove_child(child);
        child = next;
    }
    Paragraph(node_.append_child(names.q("p").c_str()), part_).add_run(text);
}

std::vector<Paragraph> Cell::paragraphs() const {
    std::vector<Paragraph> result;
    detail::for_each_block(node_, part_->names, [&](pugi::xml_node block) {
        if (part_->names.is(block, "p")) result.emplace_back(block, part_);
    });
    return result;
}

bool Cell::holds_only_text() const {
    const auto& names = part_->names;
    for (auto child : node_.children()) {
        if (child.type() != pugi::node_element || names.is(child, "tcPr")) continue;
        if (!names.is(child, "p") || !detail::holds_only_text(child, names, false)) return false;
    }
    return true;
}

void Cell::set_width(Length width) {
    const auto& names = part_->names;
    auto tcw = cell_property(node_, names, "tcW");
    names.set_attribute(tcw, "w", twips(width));
    names.set_attribute(tcw, "type", "dxa");
    if (grid_span(node_, names) != 1) return;

    const auto grid = names.child(enclosing(node_, "tbl", names), "tblGrid");
    Column column = first_column(node_, names);
    for (auto col : grid.children()) {
        if (!names.is(col, "gridCol")) continue;
        if (column-- == 0) {
            names.set_attribute(col, "w", twips(width));
            break;
        }
    }
}

void Cell::set_vertical_alignment(std::string_view alignment) {
    if (std::find(kVerticalAlignments.begin(), kVerticalAlignments.end(), alignment) == kVerticalAlignments.end())
        throw TemplateError(i18n::tr("'{1}' is not a vertical alignment (w:vAlign value)", {alignment}));
    part_->names.set_attribute(cell_property(node_, part_->names, "vAlign"), "val", alignment);
}

Cell Cell::merge(const Cell& other) {
    const auto& names = part_->names;
    if (other.node_ == node_) return *this;
    const auto row = enclosing(node_, "tr", names);
    if (!row || enclosing(other.node_, "tr", names) != row)
        throw Error(i18n::tr("only cells of one table row can be merged"));

    const Column start = std::min(first_column(node_, names), first_column(other.node_, names));
    const Column end = std::max(first_column(node_, names) + grid_span(node_, names),
                             first_column(other.node_, names) + grid_span(other.node_, names));
    std::vector<pugi::xml_node> covered;
    Column column = 0;
    for (auto tc : cells_of(row, names)) {
        if (column >= start && column < end) covered.push_back(tc);
        column += grid_span(tc, names);
    }

    auto target = covered.front();
    std::optional<long long> width = dxa_width(target, names);
    bool target_blank = is_blank(target, names);
    for (auto it = covered.begin() + 1; it != covered.end(); ++it) {
        const auto swallowed = *it;
        const auto swallowed_width = dxa_width(swallowed, names);
        width = width && swallowed_width ? std::optional(*width + *swallowed_width) : std::nullopt;
        if (!is_blank(swallowed, names)) {
            if (target_blank) {
                for (auto child = target.first_child(); child;) {
                    auto next = child.next_sibling();
                    if (!names.is(child, "tcPr")) target.remove_child(child);
                    child = next;
                }
                target_blank = false;
            }
            for (auto child = swallowed.first_child(); child;) {
                auto next = child.next_sibling();
                if (child.type() == pugi::node_element && !names.is(child, "tcPr")) target.append_move(child);
                child = next;
            }
        }
        swallowed.parent().remove_child(swallowed);
    }

    if (end - start > 1)
        names.set_attribute(cell_property(target, names, "gridSpan"), "val", std::to_string(end - start));
    if (width) {
        auto tcw = cell_property(target, names, "tcW");
        names.set_attribute(tcw, "w", std::to_string(*width));
        names.set_attribute(tcw, "type", "dxa");
    }
    return Cell(target, part_);
}

void Row::set_height(Length height) {
    const auto& names = part_->names;
    auto properties = names.child(node_, "trPr");
    if (!properties) {
        // w:trPr follows w:tblPrEx and comes before the cells.
        const auto exceptions = names.child(node_, "tblPrEx");
        properties = exceptions ? node_.insert_child_after(names.q("trPr").c_str(), exceptions)
                                : node_.prepend_child(names.q("trPr").c_str());
    }
    names.set_attribute(names.ensure_child(properties, "trHeight", detail::row_properties_order()), "val",
                        twips(height));
}

std::vector<Cell> Row::cells() const {
    const auto& names = part_->names;
    std::vector<Cell> result;
    Column column = 0;
    for (auto tc : cells_of(node_, names)) {
        const Column span = grid_span(tc, names);
        const auto origin = merge_origin(node_, tc, column, names);
        for (Column i = 0; i < span; ++i) result.emplace_back(origin, part_);
        column += span;
    }
    return result;
}

std::vector<Row> Table::rows() const {
    std::vector<Row> result;
    for (auto tr : rows_of(node_, part_->names)) result.emplace_back(tr, part_);
    return result;
}

Row Table::row(int index) const {
    const auto all = rows();
    if (index < 0 || static_cast<std::size_t>(index) >= all.size())
        throw Error(
            i18n::tr("the table has no row {1}: it has {2} rows", {std::to_string(index), std::to_string(all.size())}));
    return all[static_cast<std::size_t>(index)];
}

Cell Table::cell(int row_index, int column) const {
    const auto& names = part_->names;
    const auto tr = row(row_index).node();
    const auto tc = column < 0 ? pugi::xml_node{} : cell_at(tr, column, names);
    if (!tc)
        throw Error(i18n::tr("row {1} of the table has no column {2}: it has {3} grid columns",
                             {std::to_string(row_index), std::to_string(column),
                              std::to_string(grid_columns(tr, names))}));
    return Cell(merge_origin(tr, tc, column, names), part_);
}

std::vector<Cell> Table::cells() const {
    const auto& names = part_->names;
    std::vector<Cell> result;
    // The grid columns [first, end) that each cell of the row above covers, in order.
    std::vector<std::pair<Column, Column>> above, here;
    for (const Row& row : rows()) {
        here.clear();
        std::size_t k = 0;  // the first cell above that does not end before `column`
        Column column = 0;
        for (auto tc : cells_of(row.node(), names)) {
            while (k < above.size() && above[k].second <= column) ++k;
            // Row::cells resolves a continuation through the cell above its first column.
            const bool continues_one_above = continues_vertical_merge(tc, names) && k < above.size() &&
                                             above[k].first <= column;
            if (!continues_one_above) result.emplace_back(tc, part_);
            const Column span = grid_span(tc, names);
            here.emplace_back(column, column + span);
            column += span;
        }
        above.swap(here);
    }
    return result;
}

void Table::set_style(std::string_view name) {
    const detail::WordState& document = *part_->owner;
    const std::string part = document.main.related_part(detail::kStylesRel);
    if (part.empty() || !document.package.has_part(part))
        throw Error(i18n::tr("no table style named '{1}': the document has no styles part", {name}));
    pugi::xml_document styles;
    detail::parse_part(styles, document.package, part);
    detail::WordNames style_names;
    style_names.bind(styles.document_element());

    for (auto style : styles.document_element().children()) {
        if (!style_names.is(style, "style")) continue;
        if (std::string_view(style_names.attribute(style, "type").value()) != "table") continue;
        if (style_names.attribute(style_names.child(style, "name"), "val").value() != name) continue;
        const auto& names = part_->names;
        auto properties = names.child(node_, "tblPr");
        if (!properties) properties = node_.prepend_child(names.q("tblPr").c_str());
        names.set_attribute(names.ensure_child(properties, "tblStyle", detail::table_properties_order()), "val",
                            style_names.attribute(style, "styleId").value());
        return;
    }
    throw Error(i18n::tr("no table style named '{1}' in part '{2}' of '{3}'", {name, part, document.package.source()}));
}

Table WordDocument::add_table(int rows, int cols) {
    if (rows < 1 || cols < 1)
        throw Error(i18n::tr("a table needs at least one row and one column, not {1} x {2}",
                             {std::to_string(rows), std::to_string(cols)}));
    const auto& names = state_->main.names;
    const std::string width = std::to_string(text_width(body(), names) / cols);

    auto table = state_->append_block("tbl");
    auto properties = table.append_child(names.q("tblPr").c_str());
    auto table_width = properties.append_child(names.q("tblW").c_str());
    names.set_attribute(table_width, "w", "0");
    names.set_attribute(table_width, "type", "auto");
    auto grid = table.append_child(names.q("tblGrid").c_str());
    for (int c = 0; c < cols; ++c) names.set_attribute(grid.append_child(names.q("gridCol").c_str()), "w", width);
    for (int r = 0; r < rows; ++r) {
        auto row = table.append_child(names.q("tr").c_str());
        for (int c = 0; c < cols; ++c) {
            auto cell = row.append_child(names.q("tc").c_str());
            auto cell_width = cell.append_child(names.q("tcPr").c_str()).append_child(names.q("tcW").c_str());
            names.set_attribute(cell_width, "w", width);
            names.set_attribute(cell_width, "type", "dxa");
            cell.append_child(names.q("p").c_str());
        }
    }
    return Table(table, &state_->main);
}

}  // namespace docx_loom
