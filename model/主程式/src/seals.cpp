#include "seals.hpp"

#include <docx_loom/errors.hpp>
#include <docx_loom/word_document.hpp>
#include <platform/root_folder.hpp>

#include <filesystem>

namespace receipt_worker {

Seal find_seal(const std::string& folder, const std::string& stem) {
    const std::string not_printed = "the seal " + stem + " was not printed: ";
    std::optional<std::string> found;  // the file's name
    try {
        for (const auto& entry : std::filesystem::directory_iterator(platform::to_path(folder))) {
            const std::string name = platform::from_path(entry.path().filename());
            if (name.substr(0, name.find('.')) == stem && entry.is_regular_file()) {
                found = name;
                break;
            }
        }
    } catch (const std::filesystem::filesystem_error& error) {
        return {std::nullopt, not_printed + "its folder " + folder + " cannot be read (" + error.code().message() + ")"};
    }
    if (!found)
        return {std::nullopt, not_printed + "put its picture, named " + stem + ".png or " + stem + ".jpg, into " + folder};
    const std::string picture = folder + *found;
    try {
        docx_loom::picture_pixel_size(picture);
    } catch (const docx_loom::PictureError& error) {
        return {std::nullopt, not_printed + *found + " cannot be used (" + error.what() + ")"};
    }
    return {picture, std::nullopt};
}

}  // namespace receipt_worker
