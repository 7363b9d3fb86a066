#include "entries.hpp"

#include "strict_xml.hpp"

#include <docx_fixture.hpp>
#include <docx_loom/docx_loom.hpp>
#include <docx_loom/errors.hpp>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace fuzz {
namespace {

using docx_loom::SetOptions;

void queue_plan(docx_loom::Document& document) {
    document.set("{A}", "甲\v乙$$$page$$$丙",
                 SetOptions{.new_font_size = docx_loom::Pt(12), .new_alignment = "left", .left_indent = 12,
                            .line_spacing = 18, .font_color = docx_loom::Rgb{1, 2, 3}});
    document.set("{B}", "x__remark__y\tz", SetOptions{.remark_new_font_size = docx_loom::Pt(6)});
    document.set("{C}", "{C}{C}");
    document.set("$$$", "");
}

[[noreturn]] void finding(const char* what, const std::string& detail) {
    std::fprintf(stderr, "%s: %s\n", what, detail.c_str());
    std::abort();
}

}  // namespace

int fill(const std::uint8_t* data, std::size_t size) {
    const std::string document_xml(reinterpret_cast<const char*>(data), size);
    const std::string bytes = fixture::docx_bytes_with_document(document_xml);
    try {
        docx_loom::Document dry_run;
        dry_run.doc = docx_loom::WordDocument::from_package(docx_loom::Package::from_bytes(bytes, "fuzz.docx"));
        queue_plan(dry_run);
        dry_run.check_places(true);
        dry_run.show_execute_set(true);

        docx_loom::Document filled;
        filled.doc = docx_loom::WordDocument::from_package(docx_loom::Package::from_bytes(bytes, "fuzz.docx"));
        queue_plan(filled);
        filled.execute_set();
        const auto saved = docx_loom::Package::from_bytes(filled.doc->save_to_bytes(), "saved.docx");
        try {
            docx_loom::WordDocument::from_package(saved);
        } catch (const docx_loom::Error& error) {
            finding("the saved package does not open again", error.what());
        }
        if (strict_xml_error(document_xml).empty())
            if (const auto error = strict_xml_error(saved.part("word/document.xml")); !error.empty())
                finding("well-formed XML was saved malformed", error);
    } catch (const docx_loom::Error&) {
    }
    return 0;
}

}  // namespace fuzz
