#pragma once

#include <optional>
#include <stdexcept>
#include <string>

namespace receipt_worker {

// The most pixels a picture may have, each way, to be printed in a box at a given resolution.
struct Pixel_Limit {
    int width;
    int height;
};

// Past this a decoded picture would take more memory than a seal deserves (160 MB as
// RGBA), and the office would take seconds to place it on every receipt.
inline constexpr long long kMaxDecodedPixels = 40'000'000;

// A picture that should have been scaled and could not be: not a decodable PNG, too
// large to decode here, or one the scaler or the PNG writer refused.
class Downscale_Error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The PNG `png` scaled down, keeping its proportions, to fit within `limit`, as a new
// PNG with as many channels (its alpha kept); nullopt when `png` is not a PNG or
// already fits, so that it can be used as it is. Never scales up. Throws Downscale_Error.
std::optional<std::string> downscaled_png(const std::string& png, Pixel_Limit limit);

}  // namespace receipt_worker
