#include "request.hpp"

#include <bounded_input/cut.hpp>
#include <receipt_channels/request_rules.hpp>

#include <limits>

namespace receipt_worker {
namespace {

using Json = nlohmann::json;

// How much of a bulky value a message quotes, so that the reason stays readable.
constexpr std::size_t kQuotedBytes = 120;

const Json& required(const Json& request, const char* key) {
    const auto found = request.find(key);
    if (found == request.end()) throw UnreadableRequest(std::string("the request has no \"") + key + "\"");
    return *found;
}

std::string text(const Json& request, const char* key) {
    const Json& value = required(request, key);
    if (!value.is_string()) throw UnreadableRequest(std::string("\"") + key + "\" must be text");
    return value.get<std::string>();
}

bool flag(const Json& request, const char* key) {
    const Json& value = required(request, key);
    if (!value.is_boolean()) throw UnreadableRequest(std::string("\"") + key + "\" must be true or false");
    return value.get<bool>();
}

// A whole number beyond 64 bits would be wrapped by every later step.
bool fits_64_bits(const Json& number) {
    return !number.is_number_unsigned() ||
           number.get<unsigned long long>() <= static_cast<unsigned long long>(std::numeric_limits<long long>::max());
}

const Json& list(const Json& request, const char* key) {
    const Json& value = required(request, key);
    if (!value.is_array()) throw UnreadableRequest(std::string("\"") + key + "\" must be a list");
    for (const Json& entry : value) {
        if (!entry.is_string() && !entry.is_number_integer())
            throw UnreadableRequest(std::string("\"") + key + "\" holds " + bounded_input::cut(entry.dump(), kQuotedBytes) +
                                    ", which is neither text nor a whole number");
        if (!fits_64_bits(entry))
            throw UnreadableRequest(std::string("\"") + key + "\" holds " + bounded_input::cut(entry.dump(), kQuotedBytes) +
                                    ", which is too large for a whole number of 64 bits");
    }
    return value;
}

long long date_part(const Json& value, const char* key) {
    if (!value.is_number_integer() || !fits_64_bits(value))
        throw UnreadableRequest(std::string("\"") + key + "\" must be a whole number, not " + bounded_input::cut(value.dump(), kQuotedBytes));
    return value.get<long long>();
}

// Text as sent; a number as its decimal digits.
std::string text_form(const Json& entry) { return entry.is_string() ? entry.get<std::string>() : entry.dump(); }

// Today when none of 年, 月 and 日 is given; otherwise all three, forming a day the
// receipt can print.
Date receipt_date(const Json& request, Date today) {
    const auto year = request.find("年"), month = request.find("月"), day = request.find("日");
    const int given = (year != request.end()) + (month != request.end()) + (day != request.end());
    if (given == 0) return today;
    if (given < 3) throw RefusedRequest("年, 月 and 日 go together: give all three, or none for today's date");
    const long long y = date_part(*year, "年"), m = date_part(*month, "月"), d = date_part(*day, "日");
    if (const auto refusal = request_rules::date_refusal(y, m, d)) throw RefusedRequest(*refusal);
    return {static_cast<int>(y), static_cast<int>(m), static_cast<int>(d)};
}

}  // namespace

ReceiptRequest read_request(const Json& request, Date today) {
    if (!request.is_object()) throw UnreadableRequest("the request is not a map of keys to values");
    ReceiptRequest read;
    read.buyer = text(request, "買受人");
    const std::string tax_number = text(request, "買受人統一編號");
    for (const Json& name : list(request, "品名")) read.names.push_back(text_form(name));
    for (const Json& quantity : list(request, "數量")) read.quantities.push_back(quantity);
    for (const Json& price : list(request, "單件價格")) read.unit_prices.push_back(price);
    read.save_path = text(request, "存檔路徑");
    read.show_exemption_seal = flag(request, "顯示免用統一發票章");
    read.show_owner_seal = flag(request, "顯示負責人章");
    read.show_date = flag(request, "顯示日期");
    read.date = receipt_date(request, today);

    if (const auto refusal = request_rules::buyer_refusal(read.buyer)) throw RefusedRequest(*refusal);
    const auto printed = request_rules::printed_tax_number(tax_number);
    if (!printed) throw RefusedRequest(request_rules::tax_number_refusal(tax_number));
    read.tax_number = *printed;
    return read;
}

}  // namespace receipt_worker
