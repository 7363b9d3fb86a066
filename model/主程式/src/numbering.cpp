#include "numbering.hpp"

#include <platform/root_folder.hpp>
#include <receipt_channels/utf8.hpp>
#include <receipt_channels/whole_number.hpp>

#include <filesystem>
#include <limits>
#include <stdexcept>

namespace receipt_worker {
namespace {

bool is_ascii_digit(const std::string& character) { return character.size() == 1 && character[0] >= '0' && character[0] <= '9'; }

std::optional<long long> number_behind(const std::string& rest) {
    const auto characters = utf8_characters(rest);
    std::string six;
    bool all_digits = characters.size() >= 6;
    for (std::size_t i = 0; i < characters.size() && i < 6; ++i) {
        six += characters[i];
        all_digits = all_digits && is_ascii_digit(characters[i]);
    }
    if (all_digits) {
        for (std::size_t i = 6; i < characters.size() && is_ascii_digit(characters[i]); ++i) six += characters[i];
    }
    return read_whole_number(six);
}

}  // namespace

long long number_after(long long highest, const std::string& holder) {
    constexpr long long kLargest = std::numeric_limits<long long>::max();
    if (highest == kLargest)
        throw std::runtime_error("no receipt number is left: " + holder + " has number " + std::to_string(kLargest) +
                                 ", the largest there can be");
    return highest + 1;
}

long long data_name_number(const std::string& name, const std::string& data_path) {
    long long next = 1;
    for (const auto& entry : std::filesystem::directory_iterator(platform::to_path(data_path))) {
        const std::string entry_name = platform::from_path(entry.path().filename());
        if (!entry_name.starts_with(name)) continue;
        const auto number = number_behind(entry_name.substr(name.size()));
        if (number && next <= *number) next = number_after(*number, data_path + entry_name);
    }
    return next;
}

}  // namespace receipt_worker
