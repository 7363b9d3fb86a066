#include <docx_loom/document.hpp>
#include <docx_loom/errors.hpp>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace docx_loom {
namespace {

constexpr std::string_view kStopHeading = "【符號說明】";
constexpr std::string_view kPageMarker = "$$$page$$$";

bool contains(std::string_view text, std::string_view piece) { return text.find(piece) != std::string_view::npos; }

// The character that the UTF-8 sequence at the start of `bytes` encodes, with the
// sequence's length; nothing when it is not a valid sequence.
std::optional<std::pair<char32_t, std::size_t>> decode(std::string_view bytes) {
    const auto lead = static_cast<unsigned char>(bytes[0]);
    const std::size_t length = lead < 0x80 ? 1 : (lead & 0xE0) == 0xC0 ? 2 : (lead & 0xF0) == 0xE0 ? 3
                             : (lead & 0xF8) == 0xF0 ? 4 : 0;
    if (length == 0 || length > bytes.size()) return std::nullopt;
    char32_t c = length == 1 ? lead : lead & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(bytes[k]);
        if ((next & 0xC0) != 0x80) return std::nullopt;
        c = c << 6 | (next & 0x3F);
    }
    static constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};  // below it, overlong
    if (c < kSmallest[length] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return std::nullopt;
    return std::pair{c, length};
}

// The text as characters, so that the scan below counts them and not bytes. A byte
// outside valid UTF-8 stands for itself, as U+DC80 plus the byte, which no valid
// character decodes to.
std::u32string characters(std::string_view text) {
    std::u32string result;
    for (std::size_t i = 0; i < text.size();) {
        if (const auto decoded = decode(text.substr(i))) {
            result += decoded->first;
            i += decoded->second;
        } else {
            result += char32_t{0xDC80} + static_cast<unsigned char>(text[i]);
            ++i;
        }
    }
    return result;
}

// Whether `text` holds `piece` starting at `start`; a start before the beginning, or a
// piece that would run past the end, never matches.
bool holds_at(std::u32string_view text, std::ptrdiff_t start, std::u32string_view piece) {
    if (start < 0 || static_cast<std::size_t>(start) + piece.size() > text.size()) return false;
    return text.substr(static_cast<std::size_t>(start), piece.size()) == piece;
}

// For a placeholder that its own replacement text contains: whether `text` holds an
// occurrence still to be replaced rather than one that a replacement produced. The
// last occurrence outside a copy of the replacement text decides; an occurrence
// inside another placeholder's replacement does not count.
bool holds_unreplaced(std::string_view text_bytes, std::string_view old_bytes, std::string_view new_bytes,
                      const ReplacementPlan& plan) {
    const std::u32string text = characters(text_bytes), old_text = characters(old_bytes),
                         new_text = characters(new_bytes);
    const auto k = static_cast<std::ptrdiff_t>(new_text.find(old_text));
    bool old_text_n = false;
    for (std::size_t save = text.find(old_text); save != std::u32string::npos;
         save = text.find(old_text, save + old_text.size())) {
        const auto at = static_cast<std::ptrdiff_t>(save);
        if (holds_at(text, at - k, new_text)) continue;
        old_text_n = true;
        for (const auto& [other_bytes, entry] : plan) {
            if (other_bytes == old_bytes || !contains(other_bytes, old_bytes)) continue;
            const std::u32string other = characters(other_bytes);
            const auto k2 = static_cast<std::ptrdiff_t>(other.find(old_text));
            if (holds_at(text, at - k - k2, characters(entry.new_text))) {
                old_text_n = false;
                break;
            }
        }
    }
    return old_text_n;
}

// The scan state of one dry run, fed one place's text at a time in document order.
class DryRun {
public:
    DryRun(const ReplacementPlan& plan, bool specify_range, CheckDict& found)
        : plan_(plan), specify_range_(specify_range), allowed_(plan.size(), !specify_range), found_(found) {}

    // Records the text under every placeholder still to be replaced in it: `text` is
    // what is searched, `shown` what is recorded.
    void visit(const std::string& text, const std::string& shown, const std::string& part) {
        std::size_t index = 0;
        for (const auto& [old_text, entry] : plan_) {
            const std::size_t i = index++;
            const std::string& new_text = entry.new_text;
            if (specify_range_) {
                if (contains(text, new_text)) allowed_[i] = true;
                if (contains(text, kStopHeading)) stopped_ = true;
            }
            // An empty placeholder is in every text and would never advance the scan.
            if (old_text.empty() || !allowed_[i] || stopped_ || !contains(text, old_text) ||
                contains(old_text, std::string_view(&kPageBreakCharacter, 1)))
                continue;
            if (!contains(new_text, old_text) || holds_unreplaced(text, old_text, new_text, plan_))
                found_.record(old_text, shown, part);
        }
    }

private:
    const ReplacementPlan& plan_;
    bool specify_range_;
    // Whether each placeholder, by its place in the plan, may be matched from here on.
    std::vector<bool> allowed_;
    bool stopped_ = false;
    CheckDict& found_;
};

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
    DryRun scan(replace_value, specify_range, *check_dict);
    for (Paragraph& paragraph : document.paragraphs()) {
        paragraph.set_text(get_accepted_text(paragraph));
        const std::string text = paragraph.text();
        scan.visit(text, text, document.main_part());
    }
}

bool PlaceText::holds(std::string_view placeholder) const {
    return placeholder.empty() ||
           (!contains(placeholder, std::string_view(&kPageBreakCharacter, 1)) && contains(full_text, placeholder));
}

std::vector<PlaceText> Document::place_texts() const {
    if (!doc) throw AttributeMissing("doc");
    std::vector<PlaceText> texts;
    for (const Place& place : doc->places()) {
        if (place.fallback) continue;
        std::string full =
            place.paragraph ? place.paragraph.text(TextReading::full) : place.cell.text(TextReading::full);
        std::string shown;
        for (char c : full) {
            if (c == kPageBreakCharacter)
                shown += kPageMarker;
            else
                shown += c;
        }
        texts.push_back({place.part, std::move(shown), std::move(full)});
    }
    return texts;
}

CheckDict Document::check_places(bool specify_range) const {
    CheckDict found;
    DryRun scan(replace_value, specify_range, found);
    for (const auto& place : place_texts()) scan.visit(place.full_text, place.text, place.part);
    return found;
}

}  // namespace docx_loom
