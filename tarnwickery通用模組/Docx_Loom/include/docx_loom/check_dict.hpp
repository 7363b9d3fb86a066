#pragma once

#include <docx_loom/ordered_map.hpp>

#include <string>
#include <string_view>
#include <vector>

namespace docx_loom {

// What the dry run found for one placeholder: the texts of the body paragraphs in
// which it would be replaced, in document order.
struct CheckRecord {
    std::vector<std::string> text;
};

// Placeholders mapped to their records, in the order each was first recorded. Only
// placeholders with at least one paragraph have a record.
class CheckDict : public OrderedMap<CheckRecord> {
public:
    // Appends the paragraph's text to the placeholder's record, creating the record.
    void record(std::string_view placeholder, std::string paragraph_text) {
        (*this)[placeholder].text.push_back(std::move(paragraph_text));
    }
};

}  // namespace docx_loom
