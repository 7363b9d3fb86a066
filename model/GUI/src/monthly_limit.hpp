#pragma once

#include <string>

class QLabel;

namespace receipt_window {

// The average monthly sales under which a business may write receipts instead of
// uniform invoices, as the owner tracks it: most trades, and service trades such as
// repair, design or rental.
inline constexpr long long kMonthlyLimit = 200'000;
inline constexpr long long kServiceTradeLimit = 100'000;

enum class Limit_Level {
    clear,  // under 80 % of the limit
    near,   // from 80 % up to the limit itself
    over,   // above it
};

Limit_Level limit_level(long long total, long long limit);
long long trade_limit(bool service_trade);

// The month whose total is held against the limit, as YYYY-MM: the current one.
std::string this_month();
// This month's total of the issued receipts in the receipt folder `folder` (ending in
// "/"), by the date printed on them; 0 when the folder has no register. Throws
// Register_Error naming the register when it cannot be read.
long long this_month_total(const std::string& folder);
// "This month NT$… of the NT$… monthly limit (… %)" in `label`, amber from 80 %, red
// above the limit; pointing at it says that the line is for the owner's guidance.
void show_limit(QLabel* label, long long month_total, long long limit);

// Whether the owner chose a service trade, kept in the settings file `file` (settings.ini
// under the root folder); false while the file or the setting is missing. Throws
// std::runtime_error naming the file when it cannot be read or written.
bool read_service_trade(const std::string& file);
void write_service_trade(const std::string& file, bool service_trade);

}  // namespace receipt_window
