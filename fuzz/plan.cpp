#include "entries.hpp"

#include "strict_xml.hpp"

#include <docx_fixture.hpp>
#include <docx_loom/errors.hpp>
#include <plan.hpp>

#include <bounded_input/json.hpp>

#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace fuzz {

int plan(const std::uint8_t* data, std::size_t size) {
    try {
        auto items = docx_loom::cli::read_plan(
            bounded_input::parse_json(std::string_view(reinterpret_cast<const char*>(data), size)));
        auto document = fixture::loaded("<w:p><w:r><w:t>{A} {B}</w:t></w:r></w:p>"
                                        "<w:tbl><w:tr><w:tc><w:p><w:r><w:t>{A}</w:t></w:r></w:p></w:tc></w:tr></w:tbl>");
        for (auto& item : items) {
            // Pictures would be read from the disk; the picture step has tests of its own.
            item.options.image_path.reset();
            document.set(item.old_text, item.new_text, std::move(item.options));
        }
        document.execute_set();
        const auto saved = docx_loom::Package::from_bytes(document.doc->save_to_bytes(), "saved.docx");
        if (const auto error = strict_xml_error(saved.part("word/document.xml")); !error.empty()) {
            std::fprintf(stderr, "a plan value was saved as malformed XML: %s\n", error.c_str());
            std::abort();
        }
    } catch (const bounded_input::JsonError&) {
    } catch (const docx_loom::cli::PlanError&) {
    } catch (const docx_loom::Error&) {
    }
    return 0;
}

}  // namespace fuzz
