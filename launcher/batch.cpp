#include "batch.hpp"

#include <bounded_input/json.hpp>

#include <string>

bool run_batch(Receipt_Maker& maker, std::istream& requests, std::ostream& out, std::ostream& errors) {
    int written = 0, failed = 0, line_number = 0;
    for (std::string line; std::getline(requests, line);) {
        ++line_number;
        if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
        nlohmann::json request;
        try {
            request = bounded_input::parse_json(line);
        } catch (const bounded_input::JsonError& error) {
            errors << "line " << line_number << ": not a JSON object: " << error.what() << std::endl;
            ++failed;
            continue;
        }
        if (!request.is_object()) {
            errors << "line " << line_number << ": not a JSON object" << std::endl;
            ++failed;
            continue;
        }
        (maker.make(request).written ? written : failed) += 1;
    }
    out << written << " written, " << failed << " failed" << std::endl;
    return failed == 0;
}
