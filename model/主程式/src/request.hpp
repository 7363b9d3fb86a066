#pragma once

#include <platform/clock.hpp>

#include <nlohmann/json.hpp>

#include <stdexcept>
#include <string>
#include <vector>

namespace receipt_worker {

using Date = platform::LocalDate;

// The request could not be read: not an object, a required key missing, or a value
// of the wrong kind.
class UnreadableRequest : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The request was read, but a value breaks the rules of a receipt: a tax number that
// is not eight digits, a date that is not a real day or comes before 1912.
class RefusedRequest : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// What the window sends for one receipt. The three row lists are parallel; their
// entries are text or whole numbers as sent.
struct ReceiptRequest {
    std::string buyer;       // 買受人
    std::string tax_number;  // 買受人統一編號: empty or eight ASCII digits
    std::vector<std::string> names;        // 品名
    std::vector<nlohmann::json> quantities;  // 數量
    std::vector<nlohmann::json> unit_prices;  // 單件價格
    std::string save_path;   // 存檔路徑: required, though receipts always go to the fixed folder
    bool show_exemption_seal = false;  // 顯示免用統一發票章
    bool show_owner_seal = false;      // 顯示負責人章
    bool show_date = false;            // 顯示日期
    Date date;                          // 年, 月, 日, or today
};

// Reads the keys in their fixed order; without 年, 月 and 日 the date is `today`.
// Full-width digits of the tax number become ASCII. Throws UnreadableRequest naming
// the key at fault (a key missing, a value of the wrong kind, a number beyond 64
// bits), and RefusedRequest for a tax number that is not eight digits or a date that
// is given only in part, is not a real day, or lies before 1912-01-01.
ReceiptRequest read_request(const nlohmann::json& request, Date today);

}  // namespace receipt_worker
