#include "monthly_limit.hpp"

#include <i18n/tr.hpp>
#include <platform/clock.hpp>
#include <receipt_register/register_listing.hpp>
#include <widget_kit/theme.hpp>

#include <QLabel>
#include <QLocale>
#include <QSettings>

#include <cstdio>
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

long long trade_limit(bool service_trade) { return service_trade ? kServiceTradeLimit : kMonthlyLimit; }

std::string this_month() {
    const platform::LocalDate today = platform::local_today();
    char month[8];
    std::snprintf(month, sizeof month, "%04d-%02d", today.year, today.month);
    return month;
}

long long this_month_total(const std::string& folder) {
    auto listing = receipt_register::Receipt_Listing::open(folder);
    if (!listing) return 0;
    const std::string month = this_month();
    return listing->sum({.from = month + "-01", .to = month + "-31"}).total;
}

void show_limit(QLabel* label, long long month_total, long long limit) {
    const auto money = [](long long amount) { return QLocale(QLocale::English).toString(amount).toStdString(); };
    label->setText(QString::fromStdString(i18n::tr("This month NT${1} of the NT${2} monthly limit ({3} %)",
                                                   {money(month_total), money(limit), std::to_string(month_total * 100 / limit)})));
    label->setToolTip(QString::fromStdString(i18n::tr("The limit line is for your own guidance; the tax office decides whether "
                                                      "you may keep writing these receipts.")));
    const Widget_Kit::Theme& theme = Widget_Kit::theme();
    QColor colour = theme.text;
    switch (limit_level(month_total, limit)) {
    case Limit_Level::clear: break;
    case Limit_Level::near: colour = theme.warning; break;
    case Limit_Level::over: colour = theme.error; break;
    }
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
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
