#include <docx_loom/document.hpp>

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace docx_loom {
namespace {

constexpr std::string_view kStopHeading = "【符號說明】";

bool contains(std::string_view text, std::string_view piece) { return text.find(piece) != std::string_view::npos; }

// Whether `text` holds `piece` starting at `start`; a start before the beginning, or a
// piece that would run past the end, never matches.
bool holds_at(std::string_view text, std::ptrdiff_t start, std::string_view piece) {
    if (start < 0 || static_cast<std::size_t>(start) + piece.size() > text.size()) return false;
    return text.substr(static_cast<std::size_t>(start), piece.size()) == piece;
}

// For a placeholder that its own replacement text contains: whether `text` holds an
// occurrence still to be replaced rather than one that a replacement produced. The
// last occurrence outside a copy of the replacement text decides; an occurrence
// inside another placeholder's replacement does not count.
bool holds_unreplaced(std::string_view text, std::string_view old_text, std::string_view new_text,
                      const ReplacementPlan& plan) {
    const auto k = static_cast<std::ptrdiff_t>(new_text.find(old_text));
    bool old_text_n = false;
    for (std::size_t save = text.find(old_text); save != std::string_view::npos;
         save = text.find(old_text, save + old_text.size())) {
        const auto at = static_cast<std::ptrdiff_t>(save);
        if (holds_at(text, at - k, new_text)) continue;
        old_text_n = true;
        for (const auto& [other, entry] : plan) {
            if (other == old_text || !contains(other, old_text)) continue;
            const auto k2 = static_cast<std::ptrdiff_t>(other.find(old_text));
            if (holds_at(text, at - k - k2, entry.new_text)) {
                old_text_n = false;
                break;
            }
        }
    }
    return old_text_n;
}

}  // namespace

std::vector<std::string> Document::show_all_text() {
    std::vector<std::string> texts;
    for (Paragraph& paragraph : loaded_doc().paragraphs()) {
        paragraph.set_text(get_accepted_text(paragraph));
        texts.push_back(paragraph.text());
    }
    return texts;
}

void Document::show_execute_set(bool specify_range) {
    check_dict = CheckDict{};
    WordDocument& document = loaded_doc();

    // Whether each placeholder, by its place in the plan, may be matched from here on.
    std::vector<bool> allowed(replace_value.size(), !specify_range);
    bool stopped = false;

    for (Paragraph& paragraph : document.paragraphs()) {
        paragraph.set_text(get_accepted_text(paragraph));
        const std::string text = paragraph.text();
        std::size_t index = 0;
        for (const auto& [old_text, entry] : replace_value) {
            const std::size_t i = index++;
            const std::string& new_text = entry.new_text;
            if (specify_range) {
                if (contains(text, new_text)) allowed[i] = true;
                if (contains(text, kStopHeading)) stopped = true;
            }
            // An empty placeholder is in every text and would never advance the scan.
            if (old_text.empty() || !allowed[i] || stopped || !contains(text, old_text)) continue;
            if (!contains(new_text, old_text) || holds_unreplaced(text, old_text, new_text, replace_value))
                check_dict->record(old_text, text);
        }
    }
}

}  // namespace docx_loom
