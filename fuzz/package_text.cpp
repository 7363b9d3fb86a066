#include "entries.hpp"

#include <docx_loom/docx_loom.hpp>
#include <docx_loom/errors.hpp>

#include <nlohmann/json.hpp>

#include <string>

namespace fuzz {

int package_text(const std::uint8_t* data, std::size_t size) {
    try {
        docx_loom::Document document;
        const std::string bytes(reinterpret_cast<const char*>(data), size);
        document.doc = docx_loom::WordDocument::from_package(docx_loom::Package::from_bytes(bytes, "fuzz.docx"));
        // What the command reads, and the engine's own reading.
        for (const auto& place : document.place_texts())
            nlohmann::ordered_json(place.text).dump(2, ' ', false, nlohmann::json::error_handler_t::replace);
        nlohmann::ordered_json(document.show_all_text()).dump(2, ' ', false, nlohmann::json::error_handler_t::replace);
    } catch (const docx_loom::Error&) {
    }
    return 0;
}

}  // namespace fuzz
