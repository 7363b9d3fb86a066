#pragma once

#include <docx_loom/length.hpp>
#include <docx_loom/package.hpp>

#include <pugixml.hpp>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace docx_loom {

namespace detail {
struct StoryPart;
struct WordState;
}

// How a paragraph's text is read. Every reading takes the text of the paragraph's own
// runs in document order, inline wrappers included (hyperlinks, smart tags, custom
// XML, content controls, direction wrappers, simple fields, ruby bases, inserted and
// moved-to text), and never deleted or moved-away text, ruby guides, or the text of
// text boxes and other shapes in its runs.
enum class TextReading {
    plain,     // tabs as a tab, line breaks as a line feed, page and column breaks as nothing
    accepted,  // page breaks as "$$$page$$$", tabs and other breaks as nothing
    bare,      // the w:t texts alone
    // As the fill reads a place: tabs as a tab, line breaks as a line feed, page breaks
    // as a form feed, non-breaking and soft hyphens as U+2011 and U+00AD, column breaks
    // as nothing. Run::set_text writes each of these back as the element it came from,
    // and no placeholder can hold a form feed, which XML cannot.
    full,
};

// The character TextReading::full reads a page break as.
inline constexpr char kPageBreakCharacter = '\f';

class Paragraph;

// Thin handles over elements of the parts that hold text. They are cheap values that
// stay valid while their WordDocument lives and the element is in the tree; a
// default-constructed handle is empty and converts to false.

class Run {
public:
    Run() = default;
    Run(pugi::xml_node node, detail::StoryPart* part) : node_(node), part_(part) {}
    explicit operator bool() const { return bool(node_); }
    pugi::xml_node node() const { return node_; }

    // w:t texts, with w:tab as a tab and line breaks (w:br without a page or column
    // type, w:cr) as a line feed.
    std::string text() const;
    // Replaces everything but w:rPr by the text; a line feed or vertical tab becomes
    // w:br, a tab w:tab, U+2011 w:noBreakHyphen and U+00AD w:softHyphen. Throws
    // TemplateError, changing nothing, for text that XML cannot hold (not UTF-8, or a
    // control character such as U+0001).
    void set_text(std::string_view text);

    // w:rFonts w:ascii and w:hAnsi. Attribute setters throw TemplateError for values
    // that XML cannot hold.
    void set_font_name(std::string_view name);
    // w:rFonts w:eastAsia.
    void set_east_asian_font(std::string_view name);
    // w:sz in half-points; throws TemplateError unless the size is within
    // kFontSizePoints.
    void set_size(Length size);
    // w:color RRGGBB, dropping theme colours; throws TemplateError unless each
    // component is 0 to 255.
    void set_color(int red, int green, int blue);
    // Appends w:br w:type="page" after the run's content.
    void add_page_break();
    // Inserts a run without properties right after this one, in the same parent,
    // holding the text (nothing for empty text).
    Run add_run_after(std::string_view text = {});
    // The paragraph the run is in, through any wrappers; empty outside a paragraph.
    Paragraph paragraph() const;
    // Stores the picture in the package and appends it inline. A missing dimension
    // follows the picture's proportions; with neither, its pixel size at 96 ppi.
    // Throws PictureError if the file cannot be read as picture_pixel_size says, or
    // has a name that XML cannot hold.
    void add_picture(const std::string& path, std::optional<Length> width,
                     std::optional<Length> height);

private:
    pugi::xml_node node_;
    detail::StoryPart* part_ = nullptr;
};

class Paragraph {
public:
    Paragraph() = default;
    Paragraph(pugi::xml_node node, detail::StoryPart* part) : node_(node), part_(part) {}
    explicit operator bool() const { return bool(node_); }
    pugi::xml_node node() const { return node_; }

    // The text read as TextReading::plain.
    std::string text() const;
    std::string text(TextReading reading) const;
    // Keeps w:pPr and leaves one run without properties holding the text; throws
    // TemplateError, changing nothing, for text that XML cannot hold.
    void set_text(std::string_view text);
    // The w:p element written out with the document's own prefixes, as a fragment
    // that declares every namespace its prefixes use.
    std::string xml() const;

    // Removes every child but w:pPr.
    void clear();
    // Appends a run without properties holding the text (none for empty text).
    Run add_run(std::string_view text = {});
    // The direct w:r children, as they are now.
    std::vector<Run> runs() const;

    // Whether rewriting the paragraph from its text, read as TextReading::full, loses
    // nothing but run formatting and tracked changes: it holds only w:pPr, proofing
    // marks and runs of text, tabs, hyphens and line and page breaks, bare or inside
    // tracked changes.
    bool holds_only_text() const;
    // Replaces `size` bytes of the text, read as `reading`, from each of `starts` on
    // (ascending) by `value` in place: the value goes into a run of its own, a copy of
    // the run that held the first replaced character; the other runs lose the replaced
    // characters, and a run left empty goes; everything else stays where it was. A tab
    // or line feed in the value becomes w:tab or w:br. Returns the value's run for each
    // start, or an empty run where the stretch is not all w:t text, does not lie within
    // the text or overlaps the one before. Takes time in proportion to the paragraph
    // and the stretches, however many there are.
    std::vector<Run> replace_texts(const std::vector<std::size_t>& starts, std::size_t size, std::string_view value,
                                   TextReading reading);

    // w:jc; throws TemplateError for a value that is not a justification of ECMA-376.
    void set_alignment(std::string_view justification);
    // w:ind w:left in twentieths of a point; throws TemplateError outside
    // kLeftIndentPoints.
    void set_left_indent(Length indent);
    // w:spacing w:line in twentieths of a point with w:lineRule "exact"; throws
    // TemplateError outside kLineSpacingPoints.
    void set_line_spacing(Length spacing);

private:
    pugi::xml_node node_;
    detail::StoryPart* part_ = nullptr;
};

class Cell {
public:
    Cell() = default;
    Cell(pugi::xml_node node, detail::StoryPart* part) : node_(node), part_(part) {}
    explicit operator bool() const { return bool(node_); }
    pugi::xml_node node() const { return node_; }
    friend bool operator==(const Cell& a, const Cell& b) { return a.node_ == b.node_; }

    // The texts of the cell's paragraphs joined with a line feed, read as
    // TextReading::plain unless `reading` says otherwise.
    std::string text() const;
    std::string text(TextReading reading) const;
    // Keeps w:tcPr and leaves one paragraph without properties holding one run; throws
    // TemplateError, changing nothing, for text that XML cannot hold.
    void set_text(std::string_view text);
    // The cell's paragraphs, those in block-level content controls and custom XML
    // included, those of nested tables not.
    std::vector<Paragraph> paragraphs() const;
    // Whether the cell holds nothing but w:tcPr and paragraphs that hold only text, a
    // page break not counting as text: a cell's text is set as one paragraph without one.
    bool holds_only_text() const;
    // Replaces stretches of the text, read as `reading`, in place, as
    // Paragraph::replace_texts does within the one paragraph that holds each; an empty
    // run for a stretch across paragraphs.
    std::vector<Run> replace_texts(const std::vector<std::size_t>& starts, std::size_t size, std::string_view value,
                                   TextReading reading = TextReading::plain);

    // w:tcW of type dxa. A cell that covers one grid column gives its w:gridCol the
    // same width, since LibreOffice lays a table out by its grid.
    void set_width(Length width);
    // w:vAlign; throws TemplateError for a value other than top, center, bottom or both.
    void set_vertical_alignment(std::string_view alignment);
    // Joins this cell and `other` of the same row into the leftmost of them, spanning
    // every grid column from the one to the other (w:gridSpan); the cells it swallows
    // are removed and their content, unless blank, follows its own. Preferred widths
    // in dxa add up. Returns the joined cell; throws Error for cells of different rows.
    Cell merge(const Cell& other);

private:
    pugi::xml_node node_;
    detail::StoryPart* part_ = nullptr;
};

class Row {
public:
    Row(pugi::xml_node node, detail::StoryPart* part) : node_(node), part_(part) {}
    pugi::xml_node node() const { return node_; }
    // One cell per grid column: a cell spanning n columns appears n times, and a
    // vertically merged continuation stands for the cell it continues.
    std::vector<Cell> cells() const;
    // w:trHeight in twentieths of a point; the row is at least that high.
    void set_height(Length height);

private:
    pugi::xml_node node_;
    detail::StoryPart* part_ = nullptr;
};

class Table {
public:
    Table(pugi::xml_node node, detail::StoryPart* part) : node_(node), part_(part) {}
    pugi::xml_node node() const { return node_; }
    // The rows in document order. Here and in Row::cells, rows and cells wrapped in
    // content controls (w:sdt) or custom XML count as their table's and row's own.
    std::vector<Row> rows() const;
    // Throws Error if the table has no row `index`.
    Row row(int index) const;
    // The cell covering grid column `column` of row `row`, as Row::cells lists them;
    // throws Error for a position outside the table.
    Cell cell(int row, int column) const;
    // Every cell of the table once, row by row in document order, however many grid
    // columns it spans; a continuation of a vertical merge is left out when it stands
    // for a cell above (see Row::cells). Takes time in proportion to the cells.
    std::vector<Cell> cells() const;
    // w:tblStyle naming the table style whose w:name is `name` in the styles part;
    // throws Error if the document defines no table style of that name.
    void set_style(std::string_view name);

private:
    pugi::xml_node node_;
    detail::StoryPart* part_ = nullptr;
};

// A place the fill visits: a paragraph of a story (the body, a header, footer,
// footnote, endnote or text box), or a table cell in any story.
struct Place {
    Paragraph paragraph;  // set for a paragraph
    Cell cell;            // set for a cell
    std::string part;     // the package part it is in, e.g. "word/header1.xml"
    // Inside the mc:Fallback branch of alternate content, which renders again what the
    // mc:Choice branch holds.
    bool fallback = false;
};

struct PixelSize {
    int width = 0;
    int height = 0;
};

// Pictures are read only from regular files of at most this size; no seal or patent
// drawing comes near it.
inline constexpr std::uint64_t kMaxPictureBytes = std::uint64_t{64} << 20;

// The pixel size of a PNG, JPEG, GIF or BMP file; throws PictureError if the file
// cannot be read, is not a regular file of at most kMaxPictureBytes, or is not such a
// picture.
PixelSize picture_pixel_size(const std::string& path);

// An open .docx package with its main document part parsed. Elements are matched by
// the WordprocessingML namespace URI, whatever prefix the file binds to it.
class WordDocument {
public:
    // Throws PackageError for a missing file, a file that is not a .docx package or
    // has no main document part, and XmlError for a part that is not well-formed.
    static WordDocument open(const std::filesystem::path& path);
    static WordDocument from_package(Package package);

    WordDocument(WordDocument&&) noexcept;
    WordDocument& operator=(WordDocument&&) noexcept;
    ~WordDocument();

    // Writes the complete package through a temporary file renamed into place; an
    // existing file is replaced. Throws PackageError on failure.
    void save(const std::filesystem::path& path) const;
    std::string save_to_bytes() const;

    // Direct w:p children of w:body, in document order.
    std::vector<Paragraph> paragraphs() const;
    // Direct w:tbl children of w:body, in document order.
    std::vector<Table> tables() const;
    // Every place the fill visits, in document order: the body's paragraphs and table
    // cells, then those of the headers, footers, footnotes and endnotes in the order
    // the main part relates them. Paragraphs of block-level content controls and custom
    // XML count as their container's; each text box follows the paragraph that holds
    // it, with its own paragraphs and cells; a nested table follows its cell. Each cell
    // appears once, as Table::cells lists it. Iterative.
    std::vector<Place> places() const;
    // Appends a table of rows x cols cells, each holding one empty paragraph, before
    // the body's final section properties; the columns share the text width evenly.
    // Throws Error unless rows and cols are at least 1.
    Table add_table(int rows, int cols);
    // Appends a paragraph holding one run with a page break (w:br w:type="page").
    Paragraph add_page_break();
    // Lays `text` in `font` diagonally across the middle of every page, large and light
    // grey, behind the text, as Word's own watermarks are: a WordArt shape in each
    // header the pages show, and where a page would show none, in a header of its own
    // that takes no room. Even pages of a document that sets different even headers but
    // has none get no mark. Throws TemplateError, changing nothing, for text or a font
    // name that is empty, not one line, or that XML cannot hold.
    void add_watermark(std::string_view text, std::string_view font = "Calibri");
    pugi::xml_node body() const;
    // The name of the main document part, e.g. "word/document.xml".
    const std::string& main_part() const;
    // The parsed main document part, for inspection.
    const pugi::xml_document& xml() const;
    // The package as it would be saved now.
    Package package() const;

private:
    explicit WordDocument(std::unique_ptr<detail::WordState> state);
    std::unique_ptr<detail::WordState> state_;
};

}  // namespace docx_loom
