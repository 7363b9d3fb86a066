#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace docx_loom {

// What the dry run found for one placeholder: the texts of the body paragraphs in
// which it would be replaced, in document order.
struct CheckRecord {
    std::vector<std::string> text;
};

// Placeholders mapped to their records, in the order each was first recorded. Only
// placeholders with at least one paragraph have a record.
class CheckDict {
public:
    using Item = std::pair<std::string, CheckRecord>;

    // Appends the paragraph's text to the placeholder's record, creating the record.
    void record(std::string_view placeholder, std::string paragraph_text);
    // Returns nullptr when nothing was recorded for the placeholder.
    const CheckRecord* find(std::string_view placeholder) const;

    bool empty() const { return items_.empty(); }
    std::size_t size() const { return items_.size(); }
    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }

private:
    std::vector<Item> items_;
};

}  // namespace docx_loom
