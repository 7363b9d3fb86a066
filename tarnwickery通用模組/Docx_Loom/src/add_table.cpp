#include <docx_loom/document.hpp>

#include "detail/log_lines.hpp"
#include "detail/xml_text.hpp"

#include <docx_loom/errors.hpp>
#include <i18n/tr.hpp>

#include <array>
#include <cstdint>
#include <exception>
#include <string_view>

namespace docx_loom {
namespace {

constexpr std::array<std::string_view, 3> kHeaders = {"專利編號", "專利名稱", "關聯性"};
constexpr std::array<double, 4> kRowHeightsCm = {0.8, 0.8, 8, 10};

// The picture box, 16.4 x 13 cm; its sides in millimetres keep the comparison exact.
constexpr double kBoxWidthCm = 16.4;
constexpr double kBoxHeightCm = 13;
constexpr std::int64_t kBoxWidthMm = 164;
constexpr std::int64_t kBoxHeightMm = 130;

enum class Fit { none, width, height };

// Wide pictures, up to and including the box's own proportions, fill its width;
// taller ones fill its height. An unreadable picture is reported and left unfitted.
Fit measure(const std::string& path) {
    try {
        const PixelSize size = picture_pixel_size(path);
        return std::int64_t{size.width} * kBoxHeightMm >= std::int64_t{size.height} * kBoxWidthMm ? Fit::width
                                                                                                 : Fit::height;
    } catch (const std::exception& error) {
        detail::log_error_text(error.what());
        return Fit::none;
    }
}

void place_picture(Table& table, const std::string& path, Fit fit) {
    try {
        Cell target_cell = table.row(3).cells().at(0);
        target_cell.set_text("");
        Paragraph paragraph = target_cell.paragraphs().at(0);
        Run run = paragraph.add_run();
        if (fit == Fit::none) throw PictureError(i18n::tr("picture '{1}' was not measured", {path}));
        if (fit == Fit::width)
            run.add_picture(path, Cm(kBoxWidthCm), std::nullopt);
        else
            run.add_picture(path, std::nullopt, Cm(kBoxHeightCm));
        paragraph.set_alignment("center");
    } catch (const std::exception&) {
        detail::log_picture_not_inserted();
    }
}

}  // namespace

void Document::_add_table(const TextForm& abstract, const TextForm& PAPN, const TextForm& title, int rows, int cols,
                          std::optional<std::string> image_path) {
    WordDocument& document = loaded_doc();
    detail::require_xml_text(abstract.str(), i18n::tr("the abstract"), true);
    detail::require_xml_text(PAPN.str(), i18n::tr("the patent number"), true);
    detail::require_xml_text(title.str(), i18n::tr("the title"), true);
    Table table = document.add_table(rows, cols);
    try {
        table.set_style("Table Grid");
    } catch (const std::exception&) {
        detail::log_no_table_grid();
    }

    for (int i = 0; i < static_cast<int>(kHeaders.size()); ++i) table.cell(0, i).set_text(kHeaders[i]);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c) table.cell(r, c).set_vertical_alignment("center");

    table.cell(1, 0).set_text(PAPN.str());
    table.cell(1, 1).set_text(title.str());
    table.cell(1, 2).set_text("");

    Cell merged_cell = table.cell(2, 0).merge(table.cell(2, 1)).merge(table.cell(2, 2));
    merged_cell.set_text("摘要：\n" + abstract.str());

    for (int r = 0; r < static_cast<int>(kRowHeightsCm.size()); ++r) table.row(r).set_height(Cm(kRowHeightsCm[r]));
    // Row 2 is merged already, so its one cell ends with the last width given here.
    for (const Row& row : table.rows()) row.cells().at(1).set_width(Cm(12.2));
    for (const Row& row : table.rows()) {
        auto cells = row.cells();
        cells.at(0).set_width(Cm(2));
        cells.at(2).set_width(Cm(2));
    }
    table.cell(3, 0).merge(table.cell(3, 1)).merge(table.cell(3, 2));

    if (image_path) place_picture(table, *image_path, measure(*image_path));
    document.add_page_break();
}

}  // namespace docx_loom
