#include <docx_loom/document.hpp>

#include "detail/log_lines.hpp"
#include "detail/plan_check.hpp"

#include <docx_loom/errors.hpp>
#include <i18n/tr.hpp>

#include <exception>
#include <string>
#include <vector>

namespace docx_loom {
namespace {

constexpr std::string_view kPageMarker = "$$$page$$$";
constexpr std::string_view kRemarkMarker = "__remark__";
// Fitting ends after one or two turns for any real picture; the bound only guards
// against a cycle through rounding.
constexpr int kMaxFittingTurns = 16;

constexpr TextReading kReading = TextReading::full;

bool contains(const std::string& text, std::string_view piece) { return text.find(piece) != std::string::npos; }

// Whether the fill takes the placeholder to be in a place's text, read as kReading.
// The empty placeholder is in every text; one that holds a form feed is in none, since
// there the form feed stands for a page break, which is structure, not text.
bool holds(const std::string& text, const std::string& placeholder) {
    return !contains(placeholder, std::string_view(&kPageBreakCharacter, 1)) && contains(text, placeholder);
}

// Where the placeholder occurs in the text, without overlaps, from the start on.
std::vector<std::size_t> occurrences(const std::string& text, const std::string& placeholder) {
    std::vector<std::size_t> found;
    if (placeholder.empty() || !holds(text, placeholder)) return found;
    for (auto at = text.find(placeholder); at != std::string::npos; at = text.find(placeholder, at + placeholder.size()))
        found.push_back(at);
    return found;
}

// A placeholder is replaced at most as often as the place held it before the fill
// began, at its first occurrences. A replacement text that holds placeholders, its own
// or those of later entries, then adds to the text once instead of multiplying it from
// one entry to the next.
std::vector<std::size_t> first_occurrences(const std::string& text, const std::string& placeholder,
                                           std::size_t times) {
    auto found = occurrences(text, placeholder);
    if (found.size() > times) found.resize(times);
    return found;
}

// The replacement text in place of the placeholder's first `times` occurrences. When
// the placeholder is empty or no longer in the text, the replacement text stands alone.
std::string rebuilt(const std::string& current, const std::string& placeholder, const std::string& value,
                    std::size_t times) {
    const auto found = first_occurrences(current, placeholder, times);
    if (found.empty()) return value;
    std::string result;
    std::size_t from = 0;
    for (std::size_t at : found) {
        result.append(current, from, at - from);
        result += value;
        from = at + placeholder.size();
    }
    result.append(current, from);
    return result;
}

// Cuts at every separator; empty pieces count.
std::vector<std::string> split(const std::string& text, std::string_view separator) {
    std::vector<std::string> pieces;
    std::size_t from = 0;
    for (auto at = text.find(separator); at != std::string::npos; at = text.find(separator, from)) {
        pieces.push_back(text.substr(from, at - from));
        from = at + separator.size();
    }
    pieces.push_back(text.substr(from));
    return pieces;
}

// Cuts a paragraph's text, read as kReading, at its page breaks and at the page
// markers written as text, in the template or in a replacement text.
std::vector<std::string> split_at_page_breaks(const std::string& text) {
    std::vector<std::string> pieces;
    for (const auto& piece : split(text, std::string_view(&kPageBreakCharacter, 1))) {
        auto more = split(piece, kPageMarker);
        pieces.insert(pieces.end(), std::make_move_iterator(more.begin()), std::make_move_iterator(more.end()));
    }
    return pieces;
}

void apply_colour(Run& run, const PlanEntry& entry) {
    if (entry.font_color) run.set_color(entry.font_color->red, entry.font_color->green, entry.font_color->blue);
}

void apply_run_format(Run& run, const PlanEntry& entry) {
    run.set_font_name(entry.new_font_name);
    run.set_size(entry.new_font_size);
    run.set_east_asian_font(entry.new_font_name_Chinese);
    apply_colour(run, entry);
}

void apply_paragraph_format(Paragraph& paragraph, const PlanEntry& entry) {
    paragraph.set_alignment(entry.new_alignment);
    if (entry.left_indent) paragraph.set_left_indent(Pt(*entry.left_indent));
    if (entry.line_spacing) paragraph.set_line_spacing(Pt(*entry.line_spacing));
}

void apply_remark_format(Run& run, const PlanEntry& entry) {
    run.set_size(entry.remark_new_font_size);
    run.set_font_name(entry.new_font_name);
    run.set_east_asian_font(entry.new_font_name_Chinese);
    apply_colour(run, entry);
}

void rebuild_paragraph(Paragraph& paragraph, const std::string& text, const PlanEntry& entry) {
    const auto pieces = split_at_page_breaks(text);
    paragraph.clear();
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        Run run = paragraph.add_run(pieces[i]);
        apply_run_format(run, entry);
        apply_paragraph_format(paragraph, entry);
        if (i + 1 != pieces.size()) run.add_page_break();
    }
}

// For a paragraph that holds more than text: each occurrence replaced becomes runs of
// its own with the entry's run formatting, one per piece between page markers, each but
// the last ending in a page break; nothing else in the paragraph changes, its
// properties included. An occurrence that is not all text (a break inside it) stays.
void fill_paragraph_in_place(Paragraph& paragraph, const std::string& placeholder, std::size_t times,
                             const PlanEntry& entry) {
    const auto pieces = split(entry.new_text, kPageMarker);
    const auto found = first_occurrences(paragraph.text(kReading), placeholder, times);
    for (Run run : paragraph.replace_texts(found, placeholder.size(), pieces[0], kReading)) {
        if (!run) continue;
        for (std::size_t i = 1; i < pieces.size(); ++i) {
            apply_run_format(run, entry);
            run.add_page_break();
            run = run.add_run_after(pieces[i]);
        }
        apply_run_format(run, entry);
    }
}

struct Size {
    double width;
    double height;
};

// Keeps the picture's proportions, fits the box and reaches it on at least one side.
// Pixels are compared with inches as they are, so ordinary pictures only shrink.
Size fit_into_box(Size picture, Size box) {
    const double ratio = picture.width / picture.height;
    double w = picture.width, h = picture.height;
    if (w < box.width && h < box.height) {
        for (int turn = 0; turn < kMaxFittingTurns; ++turn) {
            if (w < box.width) w = box.width, h = w / ratio;
            if (h < box.height) h = box.height, w = h * ratio;
            if (w >= box.width && h >= box.height) break;
        }
    }
    if (w > box.width || h > box.height) {
        for (int turn = 0; turn < kMaxFittingTurns; ++turn) {
            if (w > box.width) w = box.width, h = w / ratio;
            if (h > box.height) h = box.height, w = h * ratio;
            if (w <= box.width && h <= box.height) break;
        }
    }
    return {w, h};
}

// A picture that cannot be placed is reported and passed over. `new_run` adds the
// run the picture goes into.
template <typename NewRun>
void insert_picture(const PlanEntry& entry, NewRun&& new_run) {
    try {
        const PixelSize pixels = picture_pixel_size(*entry.image_path);
        std::optional<Length> width, height;
        if (entry.image_fixed_ratio) {
            if (!entry.image_width || !entry.image_height)
                throw PictureError(i18n::tr("picture '{1}' needs both image_width and image_height to be fitted",
                                            {*entry.image_path}));
            const Size size = fit_into_box({double(pixels.width), double(pixels.height)},
                                           {*entry.image_width, *entry.image_height});
            width = Inches(size.width), height = Inches(size.height);
        } else if (entry.image_width && entry.image_height) {
            width = Inches(*entry.image_width), height = Inches(*entry.image_height);
        }
        Run run = new_run();
        run.add_picture(*entry.image_path, width, height);
    } catch (const std::exception& error) {
        detail::log_picture_failure(error.what());
    }
}

void rebuild_cell(Cell& cell, const std::string& placeholder, std::size_t times, const PlanEntry& entry) {
    cell.set_text(rebuilt(cell.text(kReading), placeholder, entry.new_text, times));
    for (Paragraph& paragraph : cell.paragraphs()) {
        for (Run& run : paragraph.runs()) {
            const std::string text = run.text();
            if (contains(text, kRemarkMarker)) {
                const auto pieces = split(text, kRemarkMarker);
                run.set_text(pieces[0]);
                // Pieces after the second are dropped.
                Run remark = paragraph.add_run(pieces[1]);
                apply_remark_format(remark, entry);
            }
            apply_run_format(run, entry);
        }
        if (entry.image_path) insert_picture(entry, [&] { return paragraph.add_run(); });
    }
    for (Paragraph& paragraph : cell.paragraphs()) apply_paragraph_format(paragraph, entry);
}

// For a cell that holds more than text: each occurrence replaced becomes a run of its
// own with the entry's run formatting, followed by the remark run and the picture;
// nothing else in the cell changes, the properties of its paragraphs included.
void fill_cell_in_place(Cell& cell, const std::string& placeholder, std::size_t times, const PlanEntry& entry) {
    const auto pieces = split(entry.new_text, kRemarkMarker);
    const auto found = first_occurrences(cell.text(kReading), placeholder, times);
    for (Run run : cell.replace_texts(found, placeholder.size(), pieces[0], kReading)) {
        if (!run) continue;
        apply_run_format(run, entry);
        Run last = run;
        if (pieces.size() > 1) {
            // Pieces after the second are dropped, as when the cell is rewritten.
            last = run.add_run_after(pieces[1]);
            apply_remark_format(last, entry);
        }
        if (entry.image_path) insert_picture(entry, [&] { return last.add_run_after(); });
    }
}

// Paragraphs and cells that hold only text are rewritten from it, as the plan's format
// asks; those that hold more are filled where the placeholder stands, so that nothing
// else they hold is lost. Both read the text with tracked changes accepted (the runs
// the reading takes), tabs, breaks and hyphens as characters.
void fill_paragraph(Paragraph& paragraph, const ReplacementPlan& plan) {
    const std::string starting_text = paragraph.text(kReading);
    for (const auto& [placeholder, entry] : plan) {
        if (!holds(starting_text, placeholder)) continue;
        const std::size_t times = occurrences(starting_text, placeholder).size();
        if (paragraph.holds_only_text())
            rebuild_paragraph(paragraph, rebuilt(paragraph.text(kReading), placeholder, entry.new_text, times), entry);
        else
            fill_paragraph_in_place(paragraph, placeholder, times, entry);
    }
}

void fill_cell(Cell& cell, const ReplacementPlan& plan) {
    const std::string starting_text = cell.text(kReading);
    for (const auto& [placeholder, entry] : plan) {
        if (!holds(starting_text, placeholder)) continue;
        const std::size_t times = occurrences(starting_text, placeholder).size();
        if (cell.holds_only_text())
            rebuild_cell(cell, placeholder, times, entry);
        else
            fill_cell_in_place(cell, placeholder, times, entry);
    }
}

}  // namespace

void Document::execute_set() {
    WordDocument& document = loaded_doc();
    detail::check_plan(replace_value);

    // Paragraphs first, then cells; neither pass removes what the other visits, so one
    // list serves both.
    std::vector<Place> places = document.places();
    for (Place& place : places)
        if (place.paragraph) fill_paragraph(place.paragraph, replace_value);
    for (Place& place : places)
        if (place.cell) fill_cell(place.cell, replace_value);
}

}  // namespace docx_loom
