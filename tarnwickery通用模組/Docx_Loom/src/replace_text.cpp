// Replacing stretches of a paragraph's text where they stand, for paragraphs that hold
// more than text and cannot be rewritten from it.
#include <docx_loom/word_document.hpp>

#include "detail/inline_content.hpp"
#include "detail/word_state.hpp"
#include "detail/xml_text.hpp"

#include <i18n/tr.hpp>

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace docx_loom {
namespace {

bool is_content(pugi::xml_node child, const detail::WordNames& names) {
    return child.type() == pugi::node_element && !names.is(child, "rPr");
}

// Splits `run` at byte `offset` of its child w:t `t`: what follows that point moves
// into a new run right after it, with the same attributes and properties. Returns the
// run that begins at that point: `run` itself when nothing precedes it, an empty node
// when nothing follows it.
pugi::xml_node split_run(pugi::xml_node run, pugi::xml_node t, std::size_t offset, const detail::WordNames& names) {
    const std::string text = t.text().get();
    bool before = offset > 0;
    for (auto c = t.previous_sibling(); c && !before; c = c.previous_sibling()) before = is_content(c, names);
    bool after = offset < text.size();
    for (auto c = t.next_sibling(); c && !after; c = c.next_sibling()) after = is_content(c, names);
    if (!after) return {};
    if (!before) return run;

    auto tail = run.parent().insert_child_after(run.name(), run);
    for (auto attr : run.attributes()) tail.append_copy(attr);
    // w:rPr comes first in a run; looked for there, not among all of a long run's children.
    auto properties = run.first_child();
    while (properties && properties.type() != pugi::node_element) properties = properties.next_sibling();
    if (names.is(properties, "rPr")) tail.append_copy(properties);
    auto next = t.next_sibling();
    if (offset == 0) {
        tail.append_move(t);
    } else if (offset < text.size()) {
        detail::new_text_element(tail, {}, std::string_view(text).substr(offset), names);
        detail::set_text_element(t, std::string_view(text).substr(0, offset));
    }
    while (next) {
        auto following = next.next_sibling();
        tail.append_move(next);
        next = following;
    }
    return tail;
}

// The spans of `text` that hold bytes of [start, end), as indices into its spans.
std::pair<std::size_t, std::size_t> spans_over(const detail::SpannedText& text, std::size_t start, std::size_t end) {
    const auto& spans = text.spans;
    // Spans follow each other, so their ends grow with their starts.
    const auto first = std::partition_point(spans.begin(), spans.end(),
                                            [&](const detail::TextSpan& s) { return s.start + s.size <= start; });
    const auto last =
        std::partition_point(first, spans.end(), [&](const detail::TextSpan& s) { return s.start < end; });
    return {std::size_t(first - spans.begin()), std::size_t(last - spans.begin())};
}

bool all_text(const detail::SpannedText& text, std::size_t start, std::size_t end) {
    const auto [first, last] = spans_over(text, start, end);
    for (std::size_t i = first; i < last; ++i)
        if (text.spans[i].size != 0 && !text.spans[i].is_text) return false;
    return true;
}

// Cuts the w:t elements at every byte offset in `cuts` (ascending) that falls inside
// one, into w:t siblings of the same run, so that every cut lies between elements and
// no later step copies more of a w:t's text than its own stretch. The text reads the
// same.
void cut_text_elements(const detail::SpannedText& text, const std::vector<std::size_t>& cuts,
                       const detail::WordNames& names) {
    std::size_t c = 0;
    for (const auto& span : text.spans) {
        if (!span.is_text) continue;
        while (c < cuts.size() && cuts[c] <= span.start) ++c;
        std::vector<std::size_t> offsets;
        for (; c < cuts.size() && cuts[c] < span.start + span.size; ++c)
            if (offsets.empty() || offsets.back() != cuts[c] - span.start) offsets.push_back(cuts[c] - span.start);
        if (offsets.empty()) continue;
        const std::string whole = span.source.text().get();
        const std::string_view all(whole);
        const auto after = span.source.next_sibling();
        offsets.push_back(whole.size());
        for (std::size_t i = 0; i + 1 < offsets.size(); ++i)
            detail::new_text_element(span.source.parent(), after, all.substr(offsets[i], offsets[i + 1] - offsets[i]),
                                     names);
        detail::set_text_element(span.source, all.substr(0, offsets.front()));
    }
}

}  // namespace

std::vector<Run> Paragraph::replace_texts(const std::vector<std::size_t>& starts, std::size_t size,
                                          std::string_view value, TextReading reading) {
    detail::require_xml_text(value, i18n::tr("replacement text"), true);
    const auto& names = part_->names;
    std::vector<Run> runs(starts.size());
    if (size == 0) return runs;

    // Only stretches of w:t text are replaced; first every w:t is cut where one of them
    // begins or ends, in one pass.
    std::vector<bool> replaced(starts.size());
    std::vector<std::size_t> cuts;
    {
        const auto text = detail::read_paragraph(node_, names, reading);
        std::size_t free_from = 0;  // where the last stretch taken ends
        for (std::size_t i = 0; i < starts.size(); ++i) {
            const std::size_t start = starts[i];
            if (start < free_from || start > text.text.size() || size > text.text.size() - start) continue;
            if (!all_text(text, start, start + size)) continue;
            replaced[i] = true;
            free_from = start + size;
            cuts.push_back(start);
            cuts.push_back(start + size);
        }
        cut_text_elements(text, cuts, names);
    }
    const auto text = detail::read_paragraph(node_, names, reading);

    // From the last stretch to the first, so that each leaves the elements of those
    // before it where they were.
    for (std::size_t i = starts.size(); i-- > 0;) {
        if (!replaced[i]) continue;
        const auto [first, last] = spans_over(text, starts[i], starts[i] + size);
        std::vector<pugi::xml_node> stretch;  // the w:t elements it is made of, whole
        for (std::size_t s = first; s < last; ++s)
            if (text.spans[s].size != 0) stretch.push_back(text.spans[s].source);

        // Cut off what follows the stretch, then what precedes it, so that the first run
        // of the stretch holds nothing else.
        split_run(stretch.back().parent(), stretch.back(), std::strlen(stretch.back().text().get()), names);
        pugi::xml_node run = split_run(stretch.front().parent(), stretch.front(), 0, names);

        // The elements in other runs go, and so does a run left with nothing.
        for (std::size_t k = 1; k < stretch.size(); ++k) {
            auto holder = stretch[k].parent();
            if (holder == run) continue;
            holder.remove_child(stretch[k]);
            if (std::none_of(holder.begin(), holder.end(), [&](pugi::xml_node c) { return is_content(c, names); }))
                holder.parent().remove_child(holder);
        }
        std::vector<pugi::xml_node> elements;
        for (auto child : run.children())
            if (names.is(child, "t")) elements.push_back(child);
        detail::write_text(run, elements.front(), value, names);
        for (auto t : elements) run.remove_child(t);
        runs[i] = Run(run, part_);
    }
    return runs;
}

std::vector<Run> Cell::replace_texts(const std::vector<std::size_t>& starts, std::size_t size,
                                     std::string_view value, TextReading reading) {
    std::vector<Run> runs(starts.size());
    std::size_t i = 0, offset = 0;
    for (Paragraph& paragraph : paragraphs()) {
        const std::size_t length = paragraph.text(reading).size();
        std::vector<std::size_t> within;  // the stretches that lie in this paragraph, from its start
        std::vector<std::size_t> index;
        for (; i < starts.size() && starts[i] <= offset + length; ++i) {
            if (starts[i] + size > offset + length) continue;
            within.push_back(starts[i] - offset);
            index.push_back(i);
        }
        if (!within.empty()) {
            const auto replaced = paragraph.replace_texts(within, size, value, reading);
            for (std::size_t k = 0; k < replaced.size(); ++k) runs[index[k]] = replaced[k];
        }
        offset += length + 1;  // the line feed between paragraphs
    }
    return runs;
}

}  // namespace docx_loom
