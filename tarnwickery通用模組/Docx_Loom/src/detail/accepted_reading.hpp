#pragma once

#include <docx_loom/word_document.hpp>

namespace docx_loom::detail {

// The reading get_accepted_text takes for a paragraph: TextReading::plain when its XML
// holds none of "w:del", "w:ins" and "w:br", else TextReading::accepted.
TextReading accepted_reading(const Paragraph& p);

}  // namespace docx_loom::detail
