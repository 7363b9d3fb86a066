#include <docx_loom/document.hpp>

#include "detail/log_lines.hpp"
#include "detail/namespaces.hpp"
#include "detail/xml_depth.hpp"

#include <docx_loom/errors.hpp>
#include <i18n/tr.hpp>
#include <platform/root_folder.hpp>
#include <platform/temp_folder.hpp>

#include <filesystem>

namespace docx_loom {

Document::Document() = default;

WordDocument& Document::loaded_doc() {
    if (!doc) throw AttributeMissing("doc");
    return *doc;
}

void Document::set_word_version_path(const TextForm& name, std::string path) {
    version_path[name.str()] = std::move(path);
}

void Document::run_version(const TextForm& version) { run_version(version, platform::root_folder()); }

void Document::run_version(const TextForm& version_name, std::string folder) {
    save_path = std::move(folder);
    const auto registered = version_path.find(version_name.str());
    if (registered == version_path.end()) {
        detail::log_unknown_version();
        return;
    }
    version = version_name.str();
    doc = WordDocument::open(platform::to_path(registered->second));
}

void Document::delete_() { replace_value = ReplacementPlan{}; }

void Document::set(const TextForm& old_text, const TextForm& new_text, SetOptions options) {
    PlanEntry entry{std::move(options)};
    entry.new_text = new_text.str();
    replace_value.put(old_text.str(), std::move(entry));
}

std::string Document::ttff(std::string_view xml) const {
    pugi::xml_document fragment;
    const auto result = fragment.load_buffer(xml.data(), xml.size(), pugi::parse_default | pugi::parse_ws_pcdata);
    if (!result)
        throw XmlError(i18n::tr("paragraph XML is not well-formed: {1} at byte {2}",
                                {result.description(), std::to_string(result.offset)}));
    detail::check_depth(fragment, i18n::tr("paragraph XML"));
    const auto root = fragment.document_element();
    const auto prefix = detail::prefix_of(root.name());
    if (detail::namespace_uri(root, prefix) != detail::kWordMl)
        throw XmlError(
            i18n::tr("paragraph XML does not bind its prefix '{1}' to the WordprocessingML namespace", {prefix}));

    detail::WordNames names;
    names.bind(root);
    std::string text;
    for (auto run : root.children()) {
        if (!names.is(run, "r")) continue;
        const auto br = names.child(run, "br");
        if (br && std::string_view(names.attribute(br, "type").value()) == "page") text += "$$$AAAA$$$";
        const auto t = names.child(run, "t");
        text += t.text().get();
    }
    return text;
}

void Document::output(const std::string& output_name, bool pdf, bool docx) {
    name = output_name;
    if (!save_path) throw AttributeMissing("save_path");
    const WordDocument& document = loaded_doc();
    const std::string input_docx = *save_path + output_name + ".docx";
    const std::string output_pdf = *save_path + output_name + ".pdf";

    if (docx) {
        document.save(platform::to_path(input_docx));
        if (pdf) pdf_press.convert(input_docx, output_pdf, true);
    } else if (pdf) {
        // Only the PDF is wanted: the .docx it is made from goes into a folder of its
        // own, so that a file already named like it (often the template itself) is
        // neither replaced nor deleted; in the system's temporary folder, so that a run
        // killed halfway leaves nothing among the user's files.
        const platform::TempFolder scratch(std::filesystem::temp_directory_path(), ".docx_loom-");
        const auto scratch_docx = scratch.path() / platform::to_path(input_docx).filename();
        document.save(scratch_docx);
        pdf_press.convert(platform::from_path(scratch_docx), output_pdf, true);
    }
    // The line names a file that is there; with neither kept, there is none to name.
    if (pdf)
        detail::log_finished(output_pdf);
    else if (docx)
        detail::log_finished(input_docx);
}

}  // namespace docx_loom
