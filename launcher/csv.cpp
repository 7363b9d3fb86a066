#include "csv.hpp"

#include <string_view>

void write_csv_row(std::ostream& out, const std::vector<std::string>& fields) {
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) out << ',';
        // A spreadsheet reads a field that starts so as a formula, which may reach out to
        // the network; the quote makes it text.
        const std::string field = !fields[i].empty() && std::string_view("=+-@\t\r").find(fields[i][0]) != std::string_view::npos
                                      ? "'" + fields[i]
                                      : fields[i];
        if (field.find_first_of(",\"\r\n") == std::string::npos) {
            out << field;
            continue;
        }
        out << '"';
        for (const char c : field) out << (c == '"' ? "\"\"" : std::string(1, c));
        out << '"';
    }
    out << "\r\n";
}
