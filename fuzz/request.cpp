#include "entries.hpp"

#include <request.hpp>

#include <bounded_input/json.hpp>

#include <string_view>

namespace fuzz {

int request(const std::uint8_t* data, std::size_t size) {
    try {
        const auto line = bounded_input::parse_json(std::string_view(reinterpret_cast<const char*>(data), size));
        // The input-error line prints this.
        bounded_input::excerpt(line);
        receipt_worker::read_request(line, receipt_worker::Date{2025, 3, 9});
    } catch (const bounded_input::JsonError&) {
    } catch (const receipt_worker::UnreadableRequest&) {
    } catch (const receipt_worker::RefusedRequest&) {
    }
    return 0;
}

}  // namespace fuzz
