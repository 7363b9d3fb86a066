#include "entries.hpp"

#include <amounts.hpp>
#include <receipt_file_name.hpp>
#include <request.hpp>

#include <bounded_input/json.hpp>
#include <receipt_channels/utf8.hpp>

#include <cstdlib>
#include <stdexcept>
#include <string_view>

namespace fuzz {

int request(const std::uint8_t* data, std::size_t size) {
    try {
        const auto line = bounded_input::parse_json(std::string_view(reinterpret_cast<const char*>(data), size));
        // The input-error line prints this.
        bounded_input::excerpt(line);
        const receipt_worker::ReceiptRequest read = receipt_worker::read_request(line, receipt_worker::Date{2025, 3, 9});
        // The name the receipt would be saved under: whatever the buyer typed, it stays
        // one well-formed name that fits beside its temporary names.
        const std::string name = receipt_worker::receipt_file_name(1, read.buyer, read.tax_number, read.date);
        if (name.size() > receipt_worker::kLongestReceiptName || !is_valid_utf8(name) ||
            name.find_first_of("/\\\0", 0, 3) != std::string::npos)
            std::abort();
        receipt_worker::product_rows(read);
    } catch (const std::runtime_error&) {
        // What the batch reports as a failed line: unreadable JSON, a refused request,
        // rows the amounts refuse.
    }
    return 0;
}

}  // namespace fuzz
