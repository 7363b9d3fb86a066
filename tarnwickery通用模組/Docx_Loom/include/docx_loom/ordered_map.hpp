#pragma once

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace docx_loom {

// A map from text to values that keeps the order in which keys were first added.
// Plans and dry-run results hold a few dozen keys, so a linear search is the fastest.
template <typename Value>
class OrderedMap {
public:
    using Item = std::pair<std::string, Value>;

    // The key's value, appended as a default value when the key is new.
    Value& operator[](std::string_view key) {
        auto it = position(key);
        if (it == items_.end()) it = items_.insert(items_.end(), Item{std::string(key), Value{}});
        return it->second;
    }
    // Returns nullptr when the key is absent.
    const Value* find(std::string_view key) const {
        auto it = const_cast<OrderedMap*>(this)->position(key);
        return it == items_.end() ? nullptr : &it->second;
    }

    bool empty() const { return items_.empty(); }
    std::size_t size() const { return items_.size(); }
    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }

private:
    typename std::vector<Item>::iterator position(std::string_view key) {
        return std::find_if(items_.begin(), items_.end(), [&](const Item& item) { return item.first == key; });
    }

    std::vector<Item> items_;
};

}  // namespace docx_loom
