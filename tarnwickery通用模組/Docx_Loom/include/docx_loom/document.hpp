#pragma once

#include <docx_loom/check_dict.hpp>
#include <docx_loom/replacement_plan.hpp>
#include <docx_loom/word_document.hpp>
#include <pdf_press/pdf_press.hpp>

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace docx_loom {

// A place the fill visits, as a dry run reads it: its text and the package part it is in.
struct PlaceText {
    std::string part;
    // With tracked changes accepted; tabs, line breaks and hyphens as characters, page
    // breaks as "$$$page$$$".
    std::string text;
    // The same, read as TextReading::full: a page break as a form feed, so that no
    // placeholder matches across or inside it.
    std::string full_text;

    // Whether execute_set finds the placeholder here: the empty one everywhere, any
    // other only outside the page breaks.
    bool holds(std::string_view placeholder) const;
};

// One template at a time: registered template files by version name, the queued
// replacement plan, the open document and the output folder. Attributes are public;
// those that are optional do not exist until the operation that sets them has run,
// and an operation that needs one before then throws AttributeMissing.
class Document {
public:
    // Throws whatever creating the PDF converter throws.
    Document();

    std::map<std::string, std::string> version_path;
    ReplacementPlan replace_value;
    Pdf_Press pdf_press;
    std::optional<std::string> save_path;
    std::optional<std::string> version;
    std::optional<WordDocument> doc;
    std::optional<std::string> name;
    std::optional<CheckDict> check_dict;

    // Registers `path` under the text form of `name`; the file is not examined.
    void set_word_version_path(const TextForm& name, std::string path);

    // Sets save_path (the root folder when not given), then opens the template
    // registered under `version`. An unregistered name prints
    // "word的檔案格式名稱並沒有定義" and returns; a template that cannot be opened
    // throws PackageError or XmlError with save_path and version already set.
    void run_version(const TextForm& version);
    void run_version(const TextForm& version, std::string save_path);

    // The paragraph's text with every tracked change accepted, page breaks as
    // "$$$page$$$". Throws XmlError if its XML cannot be read.
    std::string get_accepted_text(const Paragraph& p) const;
    // The w:t texts with tracked changes accepted, without page markers.
    std::string _get_accepted_text(const Paragraph& p) const;

    // Empties the replacement plan.
    void delete_();
    // Queues a replacement of `old_text` by `new_text` with the given options; a
    // placeholder already queued gets the new entry in its old place.
    void set(const TextForm& old_text, const TextForm& new_text, SetOptions options = {});
    // The text of one paragraph's XML, a page break in a run as "$$$AAAA$$$".
    // Throws XmlError for XML that is not well-formed or leaves the w prefix unbound.
    std::string ttff(std::string_view xml) const;

    // Applies the plan to the paragraphs of every place (WordDocument::places: body,
    // headers, footers, notes, text boxes), then to the table cells. A paragraph or
    // cell that holds only text is rewritten from it; one that holds more is filled
    // where each placeholder stands. Each place is visited once, and a placeholder is
    // replaced at most as often as the place held it before the fill, at its first
    // occurrences, so a replacement text holding placeholders cannot multiply the
    // text. Throws AttributeMissing without a document, and TemplateError naming the
    // entry, before anything changes, for a value the document cannot hold (text that
    // XML cannot hold, a size, indent, spacing or colour out of range, an unknown
    // alignment); a picture that cannot be placed is reported and passed over.
    void execute_set();

    // Appends one patent entry and a page break to the end of the body: a table of
    // rows x cols cells styled "Table Grid" with the headers 專利編號, 專利名稱 and 關聯性,
    // the number and title below them, the abstract in the merged third row and the
    // picture, fitted into 16.4 x 13 cm, centred in the merged fourth row. A missing
    // "Table Grid" style prints "無法設定格線"; a picture that cannot be used prints
    // "插入圖片錯誤", after the error's own text when the file cannot be read; both are
    // passed over. Throws AttributeMissing without a document, TemplateError before
    // anything changes for a text that XML cannot hold, and Error for fewer than 4 rows
    // or 3 columns, with the table left as far as built and no page break.
    void _add_table(const TextForm& abstract = "", const TextForm& PAPN = "", const TextForm& title = "",
                    int rows = 4, int cols = 3, std::optional<std::string> image_path = std::nullopt);

    // Dry run of the plan over the body paragraphs: records in check_dict, under each
    // placeholder, the text (and part) of every paragraph in which it is still to be
    // replaced.
    // With `specify_range`, a placeholder counts only from the first paragraph holding
    // its replacement text on, and nothing counts from the paragraph holding
    // "【符號說明】" on. Each paragraph is first rewritten to its accepted text; an empty
    // placeholder is never recorded. Throws AttributeMissing without a document, with
    // check_dict empty; XmlError if a paragraph's XML cannot be read.
    void show_execute_set(bool specify_range = false);

    // Rewrites each body paragraph to its accepted text and returns the texts, page
    // breaks as "$$$page$$$". Throws AttributeMissing without a document.
    std::vector<std::string> show_all_text();

    // The text of every place execute_set visits, in document order (see
    // WordDocument::places), as execute_set reads it: each cell once, text boxes
    // without the copies in mc:Fallback. Changes nothing. Throws AttributeMissing
    // without a document.
    std::vector<PlaceText> place_texts() const;
    // show_execute_set's dry run over place_texts() in place of the body paragraphs:
    // every place in which execute_set would replace a placeholder, table cells,
    // headers, footers, notes and text boxes included, each with its part; a page
    // break stands between texts as it does for execute_set. Changes
    // nothing, check_dict included. Throws AttributeMissing without a document.
    CheckDict check_places(bool specify_range = false) const;

    // Saves save_path + name + ".docx", converts it to ".pdf" when asked, deletes the
    // .docx unless kept, and prints "[完成！] " with the path of the PDF, or of the
    // .docx when no PDF was asked for; nothing when neither is left.
    void output(const std::string& name, bool pdf = false, bool docx = true);

private:
    WordDocument& loaded_doc();
};

}  // namespace docx_loom
