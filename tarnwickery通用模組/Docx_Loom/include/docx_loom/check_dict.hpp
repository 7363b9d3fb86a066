#pragma once

#include <docx_loom/ordered_map.hpp>

#include <string>
#include <string_view>
#include <vector>

namespace docx_loom {

// What the dry run found for one placeholder: the texts of the places in which it
// would be replaced, in document order, and beside each the package part it is in.
struct CheckRecord {
    std::vector<std::string> text;
    std::vector<std::string> part;
};

// Placeholders mapped to their records, in the order each was first recorded. Only
// placeholders with at least one paragraph have a record.
class CheckDict : public OrderedMap<CheckRecord> {
public:
    // Appends the place's text and part to the placeholder's record, creating the record.
    void record(std::string_view placeholder, std::string text, std::string part) {
        auto& found = (*this)[placeholder];
        found.text.push_back(std::move(text));
        found.part.push_back(std::move(part));
    }
};

}  // namespace docx_loom
