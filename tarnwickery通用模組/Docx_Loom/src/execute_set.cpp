#include <docx_loom/document.hpp>

#include "detail/log_lines.hpp"
#include "detail/plan_check.hpp"

#include <docx_loom/errors.hpp>

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

bool contains(const std::string& text, std::string_view piece) { return text.find(piece) != std::string::npos; }

// Every occurrence of the placeholder takes the replacement text. When the
// placeholder is empty or no longer in the text, the replacement text stands alone.
std::string rebuilt(const std::string& current, const std::string& placeholder, const std::string& value) {
    if (placeholder.empty() || !contains(current, placeholder)) return value;
    std::string result;
    std::size_t from = 0;
    for (auto at = current.find(placeholder); at != std::string::npos; at = current.find(placeholder, from)) {
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

void rebuild_paragraph(Paragraph& paragraph, const std::string& text, const PlanEntry& entry) {
    const auto pieces = split(text, kPageMarker);
    paragraph.clear();
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        Run run = paragraph.add_run(pieces[i]);
        apply_run_format(run, entry);
        apply_paragraph_format(paragraph, entry);
        if (i + 1 != pieces.size()) run.add_page_break();
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

// A picture that cannot be placed is reported and passed over.
void insert_picture(Paragraph& paragraph, const PlanEntry& entry) {
    try {
        const PixelSize pixels = picture_pixel_size(*entry.image_path);
        std::optional<Length> width, height;
        if (entry.image_fixed_ratio) {
            if (!entry.image_width || !entry.image_height)
                throw PictureError("picture '" + *entry.image_path +
                                   "' needs both image_width and image_height to be fitted");
            const Size size = fit_into_box({double(pixels.width), double(pixels.height)},
                                           {*entry.image_width, *entry.image_height});
            width = Inches(size.width), height = Inches(size.height);
        } else if (entry.image_width && entry.image_height) {
            width = Inches(*entry.image_width), height = Inches(*entry.image_height);
        }
        Run run = paragraph.add_run();
        run.add_picture(*entry.image_path, width, height);
    } catch (const std::exception& error) {
        detail::log_picture_failure(error.what());
    }
}

void fill_cell(Cell& cell, const std::string& placeholder, const PlanEntry& entry) {
    cell.set_text(rebuilt(cell.text(), placeholder, entry.new_text));
    for (Paragraph& paragraph : cell.paragraphs()) {
        for (Run& run : paragraph.runs()) {
            const std::string text = run.text();
            if (contains(text, kRemarkMarker)) {
                const auto pieces = split(text, kRemarkMarker);
                run.set_text(pieces[0]);
                // Pieces after the second are dropped.
                Run remark = paragraph.add_run(pieces[1]);
                remark.set_size(entry.remark_new_font_size);
                remark.set_font_name(entry.new_font_name);
                remark.set_east_asian_font(entry.new_font_name_Chinese);
                apply_colour(remark, entry);
            }
            apply_run_format(run, entry);
        }
        if (entry.image_path) insert_picture(paragraph, entry);
    }
    for (Paragraph& paragraph : cell.paragraphs()) apply_paragraph_format(paragraph, entry);
}

}  // namespace

void Document::execute_set() {
    WordDocument& document = loaded_doc();
    detail::check_plan(replace_value);

    for (Paragraph& paragraph : document.paragraphs()) {
        const std::string starting_text = get_accepted_text(paragraph);
        for (const auto& [placeholder, entry] : replace_value) {
            if (!contains(starting_text, placeholder)) continue;
            rebuild_paragraph(paragraph, rebuilt(get_accepted_text(paragraph), placeholder, entry.new_text), entry);
        }
    }

    for (const Table& table : document.tables()) {
        for (const Row& row : table.rows()) {
            for (Cell& cell : row.cells()) {
                const std::string starting_text = cell.text();
                for (const auto& [placeholder, entry] : replace_value) {
                    if (contains(starting_text, placeholder)) fill_cell(cell, placeholder, entry);
                }
            }
        }
    }
}

}  // namespace docx_loom
