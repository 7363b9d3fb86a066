#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace pdf_press::detail {

// Longer than this, a mark no longer fits across a page at its size.
inline constexpr std::size_t watermark_length_limit = 100;

// Why `watermark` cannot be drawn on a page, or "" when it can. It must be one line of
// UTF-8 text: it travels as a field of the converter's line protocol, and a line break
// or tab in a mark meant to be read across a page is a caller's mistake.
std::string watermark_fault(std::string_view watermark);

}  // namespace pdf_press::detail
