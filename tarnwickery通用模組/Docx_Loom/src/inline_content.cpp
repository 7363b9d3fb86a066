#include "detail/inline_content.hpp"

#include <algorithm>
#include <array>
#include <string_view>
#include <utility>

namespace docx_loom::detail {
namespace {

constexpr std::string_view kPageMarker = "$$$page$$$";

// Wrappers whose runs are part of the paragraph's text.
constexpr std::array<std::string_view, 12> kTransparent = {
    "hyperlink", "smartTag", "customXml", "sdt", "sdtContent", "dir", "bdo", "fldSimple", "ins", "moveTo",
    "ruby", "rubyBase"};

// What a run may hold and still be rewritten from its text: what TextReading::full
// reads and Run::set_text writes back. A positional tab, read as a tab, would lose its
// alignment; a column break reads as nothing.
constexpr std::array<std::string_view, 9> kTextRunChildren = {
    "rPr", "t", "delText", "tab", "br", "cr", "noBreakHyphen", "softHyphen", "lastRenderedPageBreak"};

constexpr std::string_view kNonBreakingHyphen = "\u2011";
constexpr std::string_view kSoftHyphen = "\u00AD";

// Wrappers of tracked changes, which a rewrite accepts.
constexpr std::array<std::string_view, 4> kChangeWrappers = {"ins", "del", "moveFrom", "moveTo"};

template <std::size_t N>
bool is_one_of(pugi::xml_node node, const WordNames& names, const std::array<std::string_view, N>& locals) {
    return std::any_of(locals.begin(), locals.end(), [&](std::string_view local) { return names.is(node, local); });
}

bool is_text_run(pugi::xml_node run, const WordNames& names, bool page_breaks_are_text) {
    for (auto child : run.children()) {
        if (child.type() != pugi::node_element) continue;
        if (!is_one_of(child, names, kTextRunChildren)) return false;
        if (names.is(child, "br")) {
            const std::string_view type = names.attribute(child, "type").value();
            if (type == "column" || (type == "page" && !page_breaks_are_text)) return false;
        }
    }
    return true;
}

bool has_edge_space(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
    return !text.empty() && (blank(text.front()) || blank(text.back()));
}

pugi::xml_node insert(pugi::xml_node parent, pugi::xml_node before, const std::string& name) {
    return before ? parent.insert_child_before(name.c_str(), before) : parent.append_child(name.c_str());
}

}  // namespace

void set_text_element(pugi::xml_node t, std::string_view text) {
    t.text().set(std::string(text).c_str());
    if (has_edge_space(text) && !t.attribute("xml:space")) t.append_attribute("xml:space") = "preserve";
}

pugi::xml_node new_text_element(pugi::xml_node run, pugi::xml_node before, std::string_view text,
                                const WordNames& names) {
    auto t = insert(run, before, names.q("t"));
    set_text_element(t, text);
    return t;
}

void write_text(pugi::xml_node run, pugi::xml_node before, std::string_view text, const WordNames& names) {
    // The element each character written as one stands for, and the character's length.
    const auto element_at = [&](std::size_t at) -> std::pair<const char*, std::size_t> {
        switch (text[at]) {
        case '\t': return {"tab", 1};
        case '\n':
        case '\v': return {"br", 1};  // a vertical tab is a line break, as word processors read it
        default: break;
        }
        const auto rest = text.substr(at);
        if (rest.starts_with(kNonBreakingHyphen)) return {"noBreakHyphen", kNonBreakingHyphen.size()};
        if (rest.starts_with(kSoftHyphen)) return {"softHyphen", kSoftHyphen.size()};
        return {nullptr, 0};
    };
    std::size_t start = 0, at = 0;  // the text not yet written begins at `start`
    while (at < text.size()) {
        const auto [element, length] = element_at(at);
        if (!element) {
            ++at;
            continue;
        }
        if (at > start) new_text_element(run, before, text.substr(start, at - start), names);
        insert(run, before, names.q(element));
        at = start = at + length;
    }
    if (start < text.size()) new_text_element(run, before, text.substr(start), names);
}

pugi::xml_node opened(pugi::xml_node node, const WordNames& names) {
    if (is_one_of(node, names, kTransparent)) return node;
    if (is_in(node, kMarkupCompatibility, "AlternateContent"))
        for (auto choice : node.children())
            if (is_in(choice, kMarkupCompatibility, "Choice")) return choice;
    return {};
}

void read_run(pugi::xml_node run, const WordNames& names, TextReading reading, SpannedText& out) {
    const auto add = [&](pugi::xml_node source, std::string_view text, bool is_text) {
        out.spans.push_back({out.text.size(), text.size(), source, is_text});
        out.text += text;
    };
    const bool full = reading == TextReading::full;
    const bool plain = reading == TextReading::plain || full;
    for (auto child : run.children()) {
        if (names.is(child, "t")) {
            add(child, child.text().get(), true);
        } else if (names.is(child, "br")) {
            const std::string_view type = names.attribute(child, "type").value();
            if (reading == TextReading::accepted && type == "page") add(child, kPageMarker, false);
            if (full && type == "page") add(child, std::string_view(&kPageBreakCharacter, 1), false);
            if (plain && (type.empty() || type == "textWrapping")) add(child, "\n", false);
        } else if (!plain) {
            continue;
        } else if (names.is(child, "tab") || names.is(child, "ptab")) {
            add(child, "\t", false);
        } else if (names.is(child, "cr")) {
            add(child, "\n", false);
        } else if (names.is(child, "noBreakHyphen")) {
            add(child, full ? kNonBreakingHyphen : "-", false);
        } else if (full && names.is(child, "softHyphen")) {
            add(child, kSoftHyphen, false);
        }
    }
}

SpannedText read_paragraph(pugi::xml_node paragraph, const WordNames& names, TextReading reading) {
    SpannedText text;
    for_each_run(paragraph, names, [&](pugi::xml_node run) { read_run(run, names, reading, text); });
    return text;
}

bool holds_only_text(pugi::xml_node paragraph, const WordNames& names, bool page_breaks_are_text) {
    for (auto child : paragraph.children()) {
        if (child.type() != pugi::node_element || names.is(child, "pPr") || names.is(child, "proofErr")) continue;
        if (names.is(child, "r")) {
            if (!is_text_run(child, names, page_breaks_are_text)) return false;
        } else if (is_one_of(child, names, kChangeWrappers)) {
            for (auto run : child.children())
                if (run.type() == pugi::node_element &&
                    !(names.is(run, "r") && is_text_run(run, names, page_breaks_are_text)))
                    return false;
        } else {
            return false;
        }
    }
    return true;
}

}  // namespace docx_loom::detail
