#include "seals.hpp"

#include "downscaled_png.hpp"

#include <docx_loom/errors.hpp>
#include <docx_loom/word_document.hpp>
#include <i18n/tr.hpp>
#include <platform/root_folder.hpp>

#include <algorithm>
#include <filesystem>
#include <tuple>
#include <vector>

namespace receipt_worker {
namespace {

// PNG first, then JPEG, then whatever else carries the stem, so that the seal chosen
// does not depend on the order in which the folder lists its files.
int extension_rank(const std::string& name) {
    std::string extension = name.substr(name.find('.') + 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c); });
    if (extension == "png") return 0;
    if (extension == "jpg") return 1;
    if (extension == "jpeg") return 2;
    return 3;
}

// What a file that carries a seal's name is, when it is not a regular file.
std::string kind_of(std::filesystem::file_type type) {
    switch (type) {
        case std::filesystem::file_type::directory: return i18n::tr("a folder");
        case std::filesystem::file_type::fifo: return i18n::tr("a FIFO (named pipe)");
        case std::filesystem::file_type::block:
        case std::filesystem::file_type::character: return i18n::tr("a device");
        case std::filesystem::file_type::not_found: return i18n::tr("a link to nothing");
        default: return i18n::tr("a special file");
    }
}

}  // namespace

Seal find_seal(const std::string& folder, const std::string& stem) {
    const std::string not_printed = i18n::tr("the seal {1} was not printed: ", {stem});
    std::vector<std::string> candidates;  // the files' names
    std::string strangers;                // what carries the name but is no file to read
    try {
        for (const auto& entry : std::filesystem::directory_iterator(platform::to_path(folder))) {
            const std::string name = platform::from_path(entry.path().filename());
            if (name.substr(0, name.find('.')) != stem) continue;
            // Never opened: a FIFO would wait for a writer, a device never ends.
            const auto type = entry.status().type();
            if (type == std::filesystem::file_type::regular)
                candidates.push_back(name);
            else
                strangers += (strangers.empty() ? "" : "; ") +
                             i18n::tr("{1} is {2}, not a picture file", {name, kind_of(type)});
        }
    } catch (const std::filesystem::filesystem_error& error) {
        return {std::nullopt, not_printed + i18n::tr("its folder {1} cannot be read ({2})", {folder, error.code().message()})};
    }
    if (candidates.empty() && !strangers.empty())
        return {std::nullopt, not_printed + strangers + "; " +
                                  i18n::tr("put the seal's picture, named {1}.png or {1}.jpg, into {2}", {stem, folder})};
    if (candidates.empty())
        return {std::nullopt, not_printed + i18n::tr("put its picture, named {1}.png or {1}.jpg, into {2}", {stem, folder})};
    std::sort(candidates.begin(), candidates.end(), [](const std::string& a, const std::string& b) {
        return std::tuple(extension_rank(a), a) < std::tuple(extension_rank(b), b);
    });
    std::string tried;
    for (const std::string& name : candidates) {
        try {
            const docx_loom::PixelSize size = docx_loom::picture_pixel_size(folder + name);
            // Neither scaled nor placed whole: either would cost a receipt seconds and a
            // gigabyte or more.
            if (static_cast<long long>(size.width) * size.height > kMaxDecodedPixels) {
                tried += (tried.empty() ? "" : "; ") +
                         i18n::tr("{1} has {2} x {3} pixels, more than the {4} a seal may have; save it smaller",
                                  {name, std::to_string(size.width), std::to_string(size.height), "40,000,000"});
                continue;
            }
            return {folder + name, std::nullopt};
        } catch (const docx_loom::PictureError& error) {
            tried += (tried.empty() ? "" : "; ") + i18n::tr("{1} cannot be used ({2})", {name, error.what()});
        }
    }
    return {std::nullopt, not_printed + tried};
}

}  // namespace receipt_worker
