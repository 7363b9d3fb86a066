#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace docx_loom {

// A map from text to values that keeps the order in which keys were first added.
// Looking a key up costs the same however many there are: a plan read from a file may
// hold hundreds of thousands.
template <typename Value>
class OrderedMap {
public:
    using Item = std::pair<std::string, Value>;

    // The key's value, appended as a default value when the key is new.
    Value& operator[](std::string_view key) {
        if (const auto at = index_.find(key); at != index_.end()) return items_[at->second].second;
        index_.emplace(std::string(key), items_.size());
        return items_.emplace_back(std::string(key), Value{}).second;
    }
    // Returns nullptr when the key is absent.
    const Value* find(std::string_view key) const {
        const auto at = index_.find(key);
        return at == index_.end() ? nullptr : &items_[at->second].second;
    }

    bool empty() const { return items_.empty(); }
    std::size_t size() const { return items_.size(); }
    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }

private:
    // Lets a string_view find a std::string key without a copy.
    struct Hash {
        using is_transparent = void;
        std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
    };

    std::vector<Item> items_;
    std::unordered_map<std::string, std::size_t, Hash, std::equal_to<>> index_;  // key → its place in items_
};

}  // namespace docx_loom
