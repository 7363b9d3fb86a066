#include "day_argument.hpp"

#include <receipt_channels/request_rules.hpp>

#include <array>
#include <charconv>
#include <cstdio>

std::optional<std::string> day_of_argument(std::string_view text) {
    const std::size_t first = text.find_first_of("-/");
    if (first == std::string_view::npos) return std::nullopt;
    const char separator = text[first];
    const std::size_t second = text.find(separator, first + 1);
    if (second == std::string_view::npos) return std::nullopt;
    const std::array<std::string_view, 3> parts = {text.substr(0, first), text.substr(first + 1, second - first - 1),
                                                   text.substr(second + 1)};
    // Digits only: from_chars alone would take a sign, and the lengths tell the forms apart.
    std::array<long long, 3> numbers{};
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const std::string_view part = parts[i];
        if (part.empty() || part.size() > (i == 0 ? 4u : 2u) || part.find_first_not_of("0123456789") != std::string_view::npos)
            return std::nullopt;
        std::from_chars(part.data(), part.data() + part.size(), numbers[i]);
    }
    auto [year, month, day] = numbers;
    if (parts[0].size() < 4) year += 1911;
    if (request_rules::date_refusal(year, month, day)) return std::nullopt;
    char iso[16];
    std::snprintf(iso, sizeof iso, "%04lld-%02lld-%02lld", year, month, day);
    return iso;
}
