#include "monthly_limit.hpp"

#include <i18n/tr.hpp>

#include <QSettings>

#include <stdexcept>

namespace receipt_window {

namespace {

constexpr const char* kServiceTradeKey = "monthly_limit/service_trade";

void check(const QSettings& settings, const std::string& failure) {
    if (settings.status() != QSettings::NoError) throw std::runtime_error(failure);
}

}  // namespace

Limit_Level limit_level(long long total, long long limit) {
    if (total > limit) return Limit_Level::over;
    // In whole numbers: 80 % of the limit reached.
    if (total * 5 >= limit * 4) return Limit_Level::near;
    return Limit_Level::clear;
}

bool read_service_trade(const std::string& file) {
    QSettings settings(QString::fromStdString(file), QSettings::IniFormat);
    const bool service_trade = settings.value(kServiceTradeKey, false).toBool();
    check(settings, i18n::tr("cannot read the settings file {1}", {file}));
    return service_trade;
}

void write_service_trade(const std::string& file, bool service_trade) {
    QSettings settings(QString::fromStdString(file), QSettings::IniFormat);
    settings.setValue(kServiceTradeKey, service_trade);
    settings.sync();
    check(settings, i18n::tr("cannot write the settings file {1}", {file}));
}

}  // namespace receipt_window
