#include <receipt_register/receipt_files.hpp>

#include <platform/root_folder.hpp>

#include <cstdio>

namespace receipt_register {

std::string number_text(long long number) {
    char padded[32];
    std::snprintf(padded, sizeof padded, "%06lld", number);
    return padded;
}

std::string receipt_folder() { return platform::root_folder() + std::string(kReceiptPrefix) + "/"; }

bool is_receipt_pdf(std::string_view file_name) {
    if (!file_name.starts_with(kReceiptPrefix) || !file_name.ends_with(".pdf")) return false;
    const std::string_view rest = file_name.substr(kReceiptPrefix.size());
    std::size_t digits = 0;
    while (digits < rest.size() && rest[digits] >= '0' && rest[digits] <= '9') ++digits;
    return digits >= 6;
}

}  // namespace receipt_register
