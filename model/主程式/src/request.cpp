#include "request.hpp"

namespace receipt_worker {
namespace {

using Json = nlohmann::json;

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

const Json& list(const Json& request, const char* key) {
    const Json& value = required(request, key);
    if (!value.is_array()) throw UnreadableRequest(std::string("\"") + key + "\" must be a list");
    for (const Json& entry : value)
        if (!entry.is_string() && !entry.is_number_integer())
            throw UnreadableRequest(std::string("\"") + key + "\" holds " + entry.dump() +
                                    ", which is neither text nor a whole number");
    return value;
}

// Text as sent; a number as its decimal digits.
std::string text_form(const Json& entry) { return entry.is_string() ? entry.get<std::string>() : entry.dump(); }

bool is_leap(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

}  // namespace

bool is_valid_date(const Date& date) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (date.year < 1 || date.year > 9999 || date.month < 1 || date.month > 12 || date.day < 1) return false;
    const int days = kDays[date.month - 1] + (date.month == 2 && is_leap(date.year) ? 1 : 0);
    return date.day <= days;
}

ReceiptRequest read_request(const Json& request, Date today) {
    if (!request.is_object()) throw UnreadableRequest("the request is not a map of keys to values");
    ReceiptRequest read;
    read.buyer = text(request, "買受人");
    read.tax_number = text(request, "買受人統一編號");
    for (const Json& name : list(request, "品名")) read.names.push_back(text_form(name));
    for (const Json& quantity : list(request, "數量")) read.quantities.push_back(quantity);
    for (const Json& price : list(request, "單件價格")) read.unit_prices.push_back(price);
    read.save_path = text(request, "存檔路徑");
    read.show_exemption_seal = flag(request, "顯示免用統一發票章");
    read.show_owner_seal = flag(request, "顯示負責人章");
    read.show_date = flag(request, "顯示日期");

    read.date = today;
    const auto year = request.find("年"), month = request.find("月"), day = request.find("日");
    if (year != request.end() && month != request.end() && day != request.end() && year->is_number_integer() &&
        month->is_number_integer() && day->is_number_integer()) {
        const auto in_range = [](const Json& v) { return v.get<long long>() >= -100000 && v.get<long long>() <= 100000; };
        if (in_range(*year) && in_range(*month) && in_range(*day)) {
            const Date sent{year->get<int>(), month->get<int>(), day->get<int>()};
            if (is_valid_date(sent)) read.date = sent;
        }
    }
    return read;
}

}  // namespace receipt_worker
