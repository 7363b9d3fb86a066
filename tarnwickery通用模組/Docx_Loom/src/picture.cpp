#include <docx_loom/word_document.hpp>

#include "detail/word_state.hpp"
#include "detail/xml_text.hpp"

#include <docx_loom/errors.hpp>
#include <i18n/tr.hpp>
#include <platform/regular_file.hpp>
#include <platform/root_folder.hpp>

#include <stb_image.h>


namespace docx_loom {
namespace {

struct PictureKind {
    const char* extension;
    const char* content_type;
};

const PictureKind* kind_of(const std::string& bytes) {
    static const PictureKind png{"png", "image/png"}, jpeg{"jpeg", "image/jpeg"},
        gif{"gif", "image/gif"}, bmp{"bmp", "image/bmp"};
    if (bytes.starts_with("\x89PNG\r\n\x1a\n")) return &png;
    if (bytes.starts_with("\xFF\xD8\xFF")) return &jpeg;
    if (bytes.starts_with("GIF87a") || bytes.starts_with("GIF89a")) return &gif;
    if (bytes.starts_with("BM")) return &bmp;
    return nullptr;
}

std::string read_picture(const std::string& path) {
    try {
        return platform::read_regular_file(platform::to_path(path), kMaxPictureBytes);
    } catch (const platform::FileReadError& error) {
        throw PictureError(i18n::tr("cannot open picture file '{1}': {2}", {path, error.reason()}));
    }
}

constexpr const char* kInlineTemplate =
    R"(<wp:inline distT="0" distB="0" distL="0" distR="0"><wp:extent/><wp:docPr/>)"
    R"(<wp:cNvGraphicFramePr><a:graphicFrameLocks noChangeAspect="1"/></wp:cNvGraphicFramePr>)"
    R"(<a:graphic><a:graphicData uri="http://schemas.openxmlformats.org/drawingml/2006/picture">)"
    R"(<pic:pic><pic:nvPicPr><pic:cNvPr id="0"/><pic:cNvPicPr/></pic:nvPicPr>)"
    R"(<pic:blipFill><a:blip/><a:stretch><a:fillRect/></a:stretch></pic:blipFill>)"
    R"(<pic:spPr><a:xfrm><a:off x="0" y="0"/><a:ext/></a:xfrm>)"
    R"(<a:prstGeom prst="rect"><a:avLst/></a:prstGeom></pic:spPr></pic:pic>)"
    R"(</a:graphicData></a:graphic></wp:inline>)";

// The largest extent DrawingML can hold (ST_PositiveCoordinate), in EMU.
constexpr std::int64_t kMaxExtent = 27273042316900;

struct Picture {
    std::string bytes;
    const PictureKind* kind = nullptr;
    PixelSize size;
};

Picture load_picture(const std::string& path) {
    Picture picture;
    picture.bytes = read_picture(path);
    picture.kind = kind_of(picture.bytes);
    if (!picture.kind) throw PictureError(i18n::tr("'{1}' is not a PNG, JPEG, GIF or BMP picture", {path}));
    int components = 0;
    if (!stbi_info_from_memory(reinterpret_cast<const stbi_uc*>(picture.bytes.data()),
                               static_cast<int>(picture.bytes.size()), &picture.size.width,
                               &picture.size.height, &components) ||
        picture.size.width <= 0 || picture.size.height <= 0)
        throw PictureError(i18n::tr("cannot read the size of picture '{1}': {2}", {path, stbi_failure_reason()}));
    return picture;
}

}  // namespace

PixelSize picture_pixel_size(const std::string& path) { return load_picture(path).size; }

void Run::add_picture(const std::string& path, std::optional<Length> width, std::optional<Length> height) {
    const Picture picture = load_picture(path);
    const int pixels_wide = picture.size.width, pixels_high = picture.size.height;
    // A missing dimension follows the picture's proportions; with none, 96 pixels per inch.
    const double ratio = static_cast<double>(pixels_wide) / pixels_high;
    std::int64_t cx, cy;
    if (width && height) {
        cx = width->emu(), cy = height->emu();
    } else if (width) {
        cx = width->emu(), cy = std::llround(width->emu() / ratio);
    } else if (height) {
        cy = height->emu(), cx = std::llround(height->emu() * ratio);
    } else {
        cx = std::llround(pixels_wide * Length::kEmuPerInch / 96.0);
        cy = std::llround(pixels_high * Length::kEmuPerInch / 96.0);
    }
    if (cx <= 0 || cy <= 0 || cx > kMaxExtent || cy > kMaxExtent)
        throw PictureError(i18n::tr("picture '{1}' would have no size, or more than DrawingML can hold", {path}));
    const std::string file_name = platform::from_path(platform::to_path(path).filename());
    if (const auto problem = detail::xml_text_problem(file_name))
        throw PictureError(i18n::tr("the name of picture '{1}' {2}", {path, *problem}));

    const std::string relationship = part_->picture_relationship(picture.bytes, picture.kind->extension, picture.kind->content_type);
    const unsigned id = ++part_->owner->last_drawing_id;

    pugi::xml_document fragment;
    fragment.load_string(kInlineTemplate);
    auto drawing = node_.append_child(part_->names.q("drawing").c_str());
    // Declared on the drawing so the fragment is valid whatever the root binds.
    const std::pair<const char*, const char*> bindings[] = {{"wp", detail::kWordDrawing},
                                                            {"a", detail::kDrawingMain},
                                                            {"pic", detail::kPicture},
                                                            {"r", detail::kRelationshipsNs}};
    for (const auto& [prefix, uri] : bindings)
        if (detail::namespace_uri(node_, prefix) != uri)
            drawing.append_attribute((std::string("xmlns:") + prefix).c_str()) = uri;
    auto inline_ = drawing.append_copy(fragment.document_element());

    auto extent = inline_.child("wp:extent");
    extent.append_attribute("cx") = static_cast<long long>(cx);
    extent.append_attribute("cy") = static_cast<long long>(cy);
    auto doc_pr = inline_.child("wp:docPr");
    doc_pr.append_attribute("id") = id;
    doc_pr.append_attribute("name") = ("Picture " + std::to_string(id)).c_str();
    auto pic = inline_.child("a:graphic").child("a:graphicData").child("pic:pic");
    pic.child("pic:nvPicPr").child("pic:cNvPr").append_attribute("name") = file_name.c_str();
    pic.child("pic:blipFill").child("a:blip").append_attribute("r:embed") = relationship.c_str();
    auto ext = pic.child("pic:spPr").child("a:xfrm").child("a:ext");
    ext.append_attribute("cx") = static_cast<long long>(cx);
    ext.append_attribute("cy") = static_cast<long long>(cy);
}

}  // namespace docx_loom
