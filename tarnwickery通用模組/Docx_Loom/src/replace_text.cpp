// Replacing a stretch of a paragraph's text where it stands, for paragraphs that hold
// more than text and cannot be rewritten from it.
#include <docx_loom/word_document.hpp>

#include "detail/inline_content.hpp"
#include "detail/word_state.hpp"
#include "detail/xml_text.hpp"

#include <algorithm>
#include <string>
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
    if (auto properties = names.child(run, "rPr")) tail.append_copy(properties);
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

}  // namespace

Run Paragraph::replace_text(std::size_t start, std::size_t size, std::string_view value, TextReading reading) {
    detail::require_xml_text(value, "replacement text", true);
    const auto& names = part_->names;
    const auto text = detail::read_paragraph(node_, names, reading);
    const std::size_t end = start + size;
    if (size == 0 || start > text.text.size() || size > text.text.size() - start) return {};

    // The w:t elements that hold the stretch, with the bytes of each that lie in it.
    struct Piece {
        pugi::xml_node t;
        std::size_t from, to;
    };
    std::vector<Piece> pieces;
    for (const auto& span : text.spans) {
        if (span.size == 0 || span.start + span.size <= start || span.start >= end) continue;
        if (!span.is_text) return {};
        pieces.push_back({span.source, std::max(start, span.start) - span.start,
                          std::min(end, span.start + span.size) - span.start});
    }

    // Cut off what follows the stretch, then what precedes it, so that the first run
    // of the stretch holds nothing else.
    split_run(pieces.back().t.parent(), pieces.back().t, pieces.back().to, names);
    pugi::xml_node run = split_run(pieces.front().t.parent(), pieces.front().t, pieces.front().from, names);

    // The first w:t keeps what precedes the stretch; the others hold nothing but it.
    for (std::size_t i = 1; i < pieces.size(); ++i) {
        const Piece& piece = pieces[i];
        if (piece.t.parent() == run) continue;
        auto holder = piece.t.parent();
        holder.remove_child(piece.t);
        if (std::none_of(holder.begin(), holder.end(), [&](pugi::xml_node c) { return is_content(c, names); }))
            holder.parent().remove_child(holder);
    }
    std::vector<pugi::xml_node> replaced;
    for (auto child : run.children())
        if (names.is(child, "t")) replaced.push_back(child);
    detail::write_text(run, replaced.front(), value, names);
    for (auto t : replaced) run.remove_child(t);
    return Run(run, part_);
}

Run Cell::replace_text(std::size_t start, std::size_t size, std::string_view value) {
    std::size_t offset = 0;
    for (Paragraph& paragraph : paragraphs()) {
        const std::size_t length = paragraph.text().size();
        if (start >= offset && start + size <= offset + length)
            return paragraph.replace_text(start - offset, size, value, TextReading::plain);
        offset += length + 1;  // the line feed between paragraphs
    }
    return {};
}

}  // namespace docx_loom
