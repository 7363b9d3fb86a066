#include "numbering.hpp"

#include <platform/root_folder.hpp>
#include <receipt_channels/utf8.hpp>
#include <receipt_channels/whole_number.hpp>

#include <climits>
#include <cstdio>
#include <filesystem>
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

void refuse_unsafe(const std::string& what, const std::string& value) {
    if (value.find("..") != std::string::npos)
        throw std::runtime_error(what + " '" + value + "' holds \"..\", which a receipt's file name cannot hold");
    for (unsigned char c : value) {
        if (c < 0x20 || std::string_view("<>:\"/\\|?*").find(static_cast<char>(c)) != std::string_view::npos) {
            const std::string shown = c < 0x20 ? "a control character" : std::string("'") + static_cast<char>(c) + "'";
            throw std::runtime_error(what + " '" + value + "' holds " + shown +
                                     ", which a receipt's file name cannot hold");
        }
    }
}

std::string two_digits(int n) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%02d", n);
    return buffer;
}

}  // namespace

long long data_name_number(const std::string& name, const std::string& data_path) {
    long long next = 1;
    for (const auto& entry : std::filesystem::directory_iterator(platform::to_path(data_path))) {
        const std::string entry_name = platform::from_path(entry.path().filename());
        if (!entry_name.starts_with(name)) continue;
        const auto number = number_behind(entry_name.substr(name.size()));
        if (number && next <= *number) next = *number == LLONG_MAX ? LLONG_MAX : *number + 1;
    }
    return next;
}

std::string receipt_file_name(long long number, const std::string& buyer, const std::string& tax_number,
                              const Date& record_date) {
    refuse_unsafe("買受人", buyer);
    refuse_unsafe("買受人統一編號", tax_number);
    char padded[32];
    std::snprintf(padded, sizeof padded, "%06lld", number);
    std::string file_name = std::string("免用統一發票收據") + padded + " - ";
    if (!buyer.empty()) file_name += "買受人：" + buyer;
    if (!buyer.empty() && !tax_number.empty()) file_name += "；";
    if (!tax_number.empty()) file_name += "統一編號：" + tax_number;
    char year[16];
    std::snprintf(year, sizeof year, "%04d", record_date.year);
    file_name += std::string("（記錄日期：") + year + "年" + two_digits(record_date.month) + "月" +
                 two_digits(record_date.day) + "日）";
    return file_name;
}

}  // namespace receipt_worker
