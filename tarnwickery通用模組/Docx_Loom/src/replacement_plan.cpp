#include <docx_loom/replacement_plan.hpp>

#include <algorithm>

namespace docx_loom {

void ReplacementPlan::put(std::string placeholder, PlanEntry entry) {
    auto it = std::find_if(items_.begin(), items_.end(), [&](const Item& item) { return item.first == placeholder; });
    if (it != items_.end())
        it->second = std::move(entry);
    else
        items_.emplace_back(std::move(placeholder), std::move(entry));
}

const PlanEntry* ReplacementPlan::find(std::string_view placeholder) const {
    auto it = std::find_if(items_.begin(), items_.end(), [&](const Item& item) { return item.first == placeholder; });
    return it == items_.end() ? nullptr : &it->second;
}

}  // namespace docx_loom
