#include <bounded_input/cut.hpp>

namespace bounded_input {

std::string cut(std::string_view text, std::size_t max_bytes) {
    if (text.size() <= max_bytes) return std::string(text);
    std::size_t end = max_bytes;
    // Back over continuation bytes, so that no character is split.
    for (int step = 0; step < 3 && end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80; ++step) --end;
    return std::string(text.substr(0, end)) + "…";
}

}  // namespace bounded_input
