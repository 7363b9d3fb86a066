#include <bounded_input/line.hpp>

namespace bounded_input {

LineRead read_line(std::istream& in, std::string& line, std::size_t max_bytes) {
    line.clear();
    bool too_long = false;
    bool any = false;
    for (char c; in.get(c);) {
        any = true;
        if (c == '\n') break;
        if (line.size() < max_bytes)
            line.push_back(c);
        else
            too_long = true;
    }
    if (too_long) {
        line.clear();
        return LineRead::too_long;
    }
    return any ? LineRead::line : LineRead::end;
}

}  // namespace bounded_input
