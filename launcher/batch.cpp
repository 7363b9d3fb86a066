#include "batch.hpp"

#include <string>

bool run_batch(Receipt_Maker& maker, std::istream& requests, std::ostream& out, std::ostream& errors) {
    int written = 0, failed = 0, line_number = 0;
    for (std::string line; std::getline(requests, line);) {
        ++line_number;
        if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
        nlohmann::json request;
        try {
            request = nlohmann::json::parse(line);
        } catch (const nlohmann::json::parse_error& error) {
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
