#include <receipt_register/receipt_files.hpp>

#include <platform/root_folder.hpp>

#include <charconv>
#include <cstdio>

namespace receipt_register {

std::string number_text(long long number) {
    char padded[32];
    std::snprintf(padded, sizeof padded, "%06lld", number);
    return padded;
}

std::string receipt_folder() { return platform::root_folder() + std::string(kReceiptPrefix) + "/"; }

std::optional<long long> receipt_number_of(std::string_view file_name, std::string_view prefix) {
    if (!file_name.starts_with(prefix)) return std::nullopt;
    const std::string_view rest = file_name.substr(prefix.size());
    std::size_t digits = 0;
    while (digits < rest.size() && rest[digits] >= '0' && rest[digits] <= '9') ++digits;
    const std::string_view after = rest.substr(digits);
    if (digits < 6 || !(after.starts_with(" - ") || after == ".pdf")) return std::nullopt;
    long long number = 0;
    const auto [end, error] = std::from_chars(rest.data(), rest.data() + digits, number);
    if (error != std::errc()) return std::nullopt;
    return number;
}

bool is_receipt_pdf(std::string_view file_name) { return file_name.ends_with(".pdf") && receipt_number_of(file_name); }

bool is_plain_file_name(std::string_view name) {
    return !name.empty() && name != "." && name != ".." && name.find_first_of(std::string_view("/\\:\0", 4)) == std::string_view::npos;
}

bool is_program_file(std::string_view name) {
    if (name == kLockFileName || name == kSealFolderName || name.starts_with(kScratchPrefix)) return true;
    if (!name.starts_with(kRegisterFileName)) return false;
    const std::string_view suffix = name.substr(kRegisterFileName.size());
    return suffix.empty() || suffix == "-wal" || suffix == "-shm" || suffix == "-journal";
}

}  // namespace receipt_register
