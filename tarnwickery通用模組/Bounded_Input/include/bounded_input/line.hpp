#pragma once

#include <cstddef>
#include <istream>
#include <string>

namespace bounded_input {

enum class LineRead {
    line,      // `line` holds the next line
    too_long,  // the next line was longer than the limit; it was read past, not kept
    end,       // nothing was left to read
};

// Reads the next line of `in`, up to a line feed (not kept) or the end, into `line`.
// A line of more than `max_bytes` bytes is read to its end without holding more than
// `max_bytes` of it, and `line` is left empty. Stream errors end the reading as the
// end does.
LineRead read_line(std::istream& in, std::string& line, std::size_t max_bytes);

}  // namespace bounded_input
