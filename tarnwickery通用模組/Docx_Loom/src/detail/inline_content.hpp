#pragma once

#include "namespaces.hpp"

#include <docx_loom/word_document.hpp>

#include <pugixml.hpp>

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// What a paragraph's text is made of: its runs, wherever inline wrappers put them.
namespace docx_loom::detail {

// The element whose children the walk goes on with when it meets `node`: the node
// itself for an inline wrapper whose runs belong to the paragraph's text, the first
// mc:Choice of alternate content, or an empty node for anything else (deleted and
// moved-away text, ruby guides, properties, drawings).
pugi::xml_node opened(pugi::xml_node node, const WordNames& names);

// Calls visit(node) for every child of `parent`, in document order, except that the
// walk goes into the wrappers `opened` enters instead of visiting them. Iterative.
template <typename Visit>
void for_each_unwrapped(pugi::xml_node parent, const WordNames& names, Visit&& visit) {
    std::vector<pugi::xml_node> resume;  // where the walk goes on after each wrapper
    pugi::xml_node node = parent.first_child();
    for (;;) {
        if (!node) {
            if (resume.empty()) return;
            node = resume.back();
            resume.pop_back();
            continue;
        }
        const pugi::xml_node next = node.next_sibling();
        if (const auto inner = opened(node, names)) {
            resume.push_back(next);
            node = inner.first_child();
            continue;
        }
        visit(node);
        node = next;
    }
}

// Calls visit(run) for every w:r of the paragraph's own text, in document order:
// direct runs and those inside hyperlinks, smart tags, custom XML, inline content
// controls, direction wrappers, simple fields, ruby bases, insertions and moved-to
// text. Runs inside text boxes are not the paragraph's (they sit in drawings, which
// the walk never enters).
template <typename Visit>
void for_each_run(pugi::xml_node paragraph, const WordNames& names, Visit&& visit) {
    for_each_unwrapped(paragraph, names, [&](pugi::xml_node node) {
        if (names.is(node, "r")) visit(node);
    });
}

// Calls visit(block) for every w:p and w:tbl of a story or cell, in document order,
// those inside block-level content controls and custom XML included.
template <typename Visit>
void for_each_block(pugi::xml_node container, const WordNames& names, Visit&& visit) {
    for_each_unwrapped(container, names, [&](pugi::xml_node node) {
        if (names.is(node, "p") || names.is(node, "tbl")) visit(node);
    });
}

// A stretch of a paragraph's text and the run child it comes from: a w:t, whose text
// it is entirely, or a tab, break or page break read as characters.
struct TextSpan {
    std::size_t start = 0;  // byte offset in the text
    std::size_t size = 0;
    pugi::xml_node source;
    bool is_text = false;  // from a w:t
};

struct SpannedText {
    std::string text;
    std::vector<TextSpan> spans;
};

// Appends what one run reads as, child by child.
void read_run(pugi::xml_node run, const WordNames& names, TextReading reading, SpannedText& out);
SpannedText read_paragraph(pugi::xml_node paragraph, const WordNames& names, TextReading reading);

// Writes text into a run before its child `before` (at its end when empty): w:t for
// the text, w:tab for a tab, w:br for a line feed or vertical tab, w:noBreakHyphen for
// U+2011 and w:softHyphen for U+00AD.
void write_text(pugi::xml_node run, pugi::xml_node before, std::string_view text, const WordNames& names);
// A w:t holding the text, before `before` (at the end when empty), keeping the blanks
// at its edges.
pugi::xml_node new_text_element(pugi::xml_node run, pugi::xml_node before, std::string_view text,
                                const WordNames& names);
// Sets a w:t's text, keeping the blanks at its edges.
void set_text_element(pugi::xml_node t, std::string_view text);

// Whether rewriting the paragraph from its text, read as TextReading::full, loses
// nothing but run formatting and tracked changes: it holds only w:pPr, proofing marks
// and runs of text, tabs, hyphens and line breaks, and page breaks where
// `page_breaks_are_text`, bare or inside w:ins, w:del, w:moveFrom or w:moveTo.
bool holds_only_text(pugi::xml_node paragraph, const WordNames& names, bool page_breaks_are_text);

}  // namespace docx_loom::detail
