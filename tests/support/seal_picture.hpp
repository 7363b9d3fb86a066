#pragma once

#include <string>
#include <vector>

// Seal-like pictures for tests and benchmarks: a red ring, a bar and strokes like
// characters, anti-aliased on a transparent ground, as a scanned seal saved as a PNG
// looks. A plain-coloured picture would compress to nothing and hide what pictures cost.
namespace fixture {

struct RgbaPicture {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> pixels;  // rows of R, G, B, A
};

RgbaPicture seal_pixels(int width, int height);
std::string seal_png(int width, int height);
// The seal on a white ground, as a JPEG of the given quality.
std::string seal_jpeg(int width, int height, int quality = 90);

}  // namespace fixture
