#include "numbering.hpp"

#include <platform/root_folder.hpp>
#include <receipt_register/receipt_files.hpp>

#include <filesystem>
#include <limits>
#include <stdexcept>

namespace receipt_worker {

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
        const auto number = receipt_register::receipt_number_of(entry_name, name);
        if (number && next <= *number) next = number_after(*number, data_path + entry_name);
    }
    return next;
}

}  // namespace receipt_worker
