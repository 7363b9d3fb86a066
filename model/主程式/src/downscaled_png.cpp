#include "downscaled_png.hpp"

#include <stb_image.h>
#include <stb_image_resize.h>
#include <stb_image_write.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <vector>

namespace receipt_worker {
namespace {

struct Free_Pixels {
    void operator()(stbi_uc* pixels) const { stbi_image_free(pixels); }
};

void append(void* context, void* data, int size) {
    static_cast<std::string*>(context)->append(static_cast<const char*>(data), static_cast<std::size_t>(size));
}

}  // namespace

std::optional<std::string> downscaled_png(const std::string& png, Pixel_Limit limit) {
    if (!png.starts_with("\x89PNG\r\n\x1a\n")) return std::nullopt;
    if (png.size() > static_cast<std::size_t>(std::numeric_limits<int>::max()))
        throw Downscale_Error("the PNG is too large to scale");
    const auto* bytes = reinterpret_cast<const stbi_uc*>(png.data());
    const int length = static_cast<int>(png.size());
    int width = 0, height = 0, channels = 0;
    if (!stbi_info_from_memory(bytes, length, &width, &height, &channels))
        throw Downscale_Error(std::string("cannot read the PNG's size: ") + stbi_failure_reason());
    if (width <= limit.width && height <= limit.height) return std::nullopt;
    if (static_cast<long long>(width) * height > kMaxDecodedPixels)
        throw Downscale_Error("the PNG has " + std::to_string(width) + " x " + std::to_string(height) +
                              " pixels, too many to scale");

    const std::unique_ptr<stbi_uc, Free_Pixels> pixels(stbi_load_from_memory(bytes, length, &width, &height, &channels, 0));
    if (!pixels) throw Downscale_Error(std::string("cannot decode the PNG: ") + stbi_failure_reason());
    // The engine fits a picture into its box keeping its proportions, so the copy keeps
    // them too, or the seal would print squeezed.
    const double scale = std::min(static_cast<double>(limit.width) / width, static_cast<double>(limit.height) / height);
    const int new_width = std::clamp(static_cast<int>(std::lround(width * scale)), 1, limit.width);
    const int new_height = std::clamp(static_cast<int>(std::lround(height * scale)), 1, limit.height);
    std::vector<stbi_uc> scaled(static_cast<std::size_t>(new_width) * new_height * channels);
    // Gray with alpha or RGBA: the filter weighs each pixel by its alpha, so that the
    // colour of transparent pixels does not bleed into a seal's anti-aliased edge.
    const int alpha = channels == 2 || channels == 4 ? channels - 1 : STBIR_ALPHA_CHANNEL_NONE;
    if (!stbir_resize_uint8_generic(pixels.get(), width, height, width * channels, scaled.data(), new_width,
                                    new_height, new_width * channels, channels, alpha, 0, STBIR_EDGE_CLAMP,
                                    STBIR_FILTER_CATMULLROM, STBIR_COLORSPACE_SRGB, nullptr))
        throw Downscale_Error("cannot scale the PNG");

    std::string out;
    if (!stbi_write_png_to_func(append, &out, new_width, new_height, channels, scaled.data(), new_width * channels))
        throw Downscale_Error("cannot encode the scaled PNG");
    return out;
}

}  // namespace receipt_worker
