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

// What the window sends for one receipt. The three row lists are parallel; their
// entries are text or whole numbers as sent.
struct ReceiptRequest {
    std::string buyer;       // 買受人
    std::string tax_number;  // 買受人統一編號
    std::vector<std::string> names;        // 品名
    std::vector<nlohmann::json> quantities;  // 數量
    std::vector<nlohmann::json> unit_prices;  // 單件價格
    std::string save_path;   // 存檔路徑: required, though receipts always go to the fixed folder
    bool show_exemption_seal = false;  // 顯示免用統一發票章
    bool show_owner_seal = false;      // 顯示負責人章
    bool show_date = false;            // 顯示日期
    Date date;                          // 年, 月, 日, or today
};

// Reads the keys in their fixed order; a missing or invalid date gives `today`.
// Throws UnreadableRequest naming the key at fault.
ReceiptRequest read_request(const nlohmann::json& request, Date today);

bool is_valid_date(const Date& date);

}  // namespace receipt_worker
