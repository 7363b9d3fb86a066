#include "seal_picture.hpp"

#include <stb_image_write.h>

#include <algorithm>
#include <cmath>

namespace fixture {
namespace {

// How much of a pixel a shape covers, from its signed distance to the shape's edge in
// pixels (negative inside): one pixel of anti-aliasing.
double coverage(double distance) { return std::clamp(0.5 - distance, 0.0, 1.0); }

void append(void* context, void* data, int size) {
    static_cast<std::string*>(context)->append(static_cast<const char*>(data), static_cast<std::size_t>(size));
}

}  // namespace

RgbaPicture seal_pixels(int width, int height) {
    RgbaPicture picture{width, height, std::vector<unsigned char>(static_cast<std::size_t>(width) * height * 4)};
    const double cx = width / 2.0, cy = height / 2.0;
    const double rx = width * 0.46, ry = height * 0.46, ring = std::min(width, height) * 0.025;
    const double stroke = std::max(1.5, std::min(width, height) * 0.012);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const double px = x + 0.5, py = y + 0.5;
            // The ring: distance to the ellipse, approximated through its normalised radius.
            const double radius = std::hypot((px - cx) / rx, (py - cy) / ry);
            double ink = coverage((std::abs(radius - 1.0) * std::min(rx, ry)) - ring);
            // A bar across the middle, and two rows of character-like strokes.
            if (std::abs(px - cx) < rx * 0.8) ink = std::max(ink, coverage(std::abs(py - cy) - stroke));
            for (double row : {cy - ry * 0.4, cy + ry * 0.4}) {
                const double cell = rx * 0.24;
                const double u = std::fmod(px - (cx - rx * 0.6) + cell * 10, cell) - cell / 2;
                const double v = py - row;
                if (std::abs(px - cx) < rx * 0.6 && std::abs(v) < cell * 0.4) {
                    ink = std::max({ink, coverage(std::abs(u) - stroke), coverage(std::abs(v - u * 0.5) - stroke),
                                    coverage(std::abs(v + cell * 0.3) - stroke)});
                }
            }
            unsigned char* pixel = &picture.pixels[(static_cast<std::size_t>(y) * width + x) * 4];
            pixel[0] = 208, pixel[1] = 16, pixel[2] = 16;
            pixel[3] = static_cast<unsigned char>(std::lround(ink * 255));
        }
    }
    return picture;
}

std::string seal_png(int width, int height) {
    const RgbaPicture picture = seal_pixels(width, height);
    std::string png;
    stbi_write_png_to_func(append, &png, width, height, 4, picture.pixels.data(), width * 4);
    return png;
}

std::string seal_jpeg(int width, int height, int quality) {
    const RgbaPicture picture = seal_pixels(width, height);
    std::vector<unsigned char> rgb(static_cast<std::size_t>(width) * height * 3);
    for (std::size_t i = 0; i < rgb.size() / 3; ++i) {
        const double alpha = picture.pixels[i * 4 + 3] / 255.0;
        for (int c = 0; c < 3; ++c)
            rgb[i * 3 + c] = static_cast<unsigned char>(std::lround(picture.pixels[i * 4 + c] * alpha + 255 * (1 - alpha)));
    }
    std::string jpeg;
    stbi_write_jpg_to_func(append, &jpeg, width, height, 3, rgb.data(), quality);
    return jpeg;
}

}  // namespace fixture
