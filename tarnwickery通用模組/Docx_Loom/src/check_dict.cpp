#include <docx_loom/check_dict.hpp>

#include <algorithm>

namespace docx_loom {

void CheckDict::record(std::string_view placeholder, std::string paragraph_text) {
    auto it = std::find_if(items_.begin(), items_.end(), [&](const Item& item) { return item.first == placeholder; });
    if (it == items_.end()) it = items_.insert(items_.end(), Item{std::string(placeholder), {}});
    it->second.text.push_back(std::move(paragraph_text));
}

const CheckRecord* CheckDict::find(std::string_view placeholder) const {
    auto it = std::find_if(items_.begin(), items_.end(), [&](const Item& item) { return item.first == placeholder; });
    return it == items_.end() ? nullptr : &it->second;
}

}  // namespace docx_loom
