#include <widget_kit/calendar.hpp>
#include <widget_kit/error.hpp>
#include <widget_kit/geometry.hpp>
#include <widget_kit/handlers.hpp>
#include <widget_kit/label.hpp>
#include <widget_kit/set_button.hpp>

#include <platform/clock.hpp>

#include <chrono>

namespace Widget_Kit {

namespace {

constexpr int kCellWidth = 35;
constexpr int kCellHeight = 29;
constexpr int kDaysTop = 58;
constexpr const char* kButtons = "日曆按鈕";

std::string day_key(int year, int month, int day) {
    return std::to_string(year) + "-" + std::to_string(month) + "-" + std::to_string(day);
}

QPushButton* arrow(QWidget* parent, const char* text, int x, const std::function<void()>& handler) {
    auto* button = new QPushButton(QString::fromUtf8(text), parent);
    configure(button, {.fg_color = "transparent"});
    button->setFixedSize(30, 28);
    QObject::connect(button, &QPushButton::clicked, button, [handler] { call_handler(handler); });
    place(button, x, 4);
    return button;
}

}  // namespace

CTkCalendar::CTkCalendar(QWidget* parent, bool calendar_button, std::optional<int> year, std::optional<int> month)
    : QWidget(parent), calendar_button_(calendar_button) {
    setFixedSize(7 * kCellWidth + 5, kDaysTop + 6 * kCellHeight + 4);
    heading_ = make_label(this, {.font = pixel_font("Microsoft JhengHei", 16, true)});
    heading_->setFixedSize(150, 28);
    place(heading_, width() / 2.0, 4, "n");
    arrow(this, "‹", 4, [this] { month_ == 1 ? show_month(year_ - 1, 12) : show_month(year_, month_ - 1); });
    arrow(this, "›", width() - 34, [this] { month_ == 12 ? show_month(year_ + 1, 1) : show_month(year_, month_ + 1); });
    const char* weekdays[] = {"日", "一", "二", "三", "四", "五", "六"};
    for (int column = 0; column < 7; ++column) {
        QLabel* label = make_label(this, {.text = weekdays[column], .font = pixel_font("Microsoft JhengHei", 13, false)});
        label->setFixedSize(kCellWidth, 20);
        place(label, 2 + column * kCellWidth, 36);
    }
    const platform::LocalDate today = platform::local_today();
    const bool valid = year && month && *month >= 1 && *month <= 12 && *year >= 1 && *year <= 9999;
    show_month(valid ? *year : today.year, valid ? *month : today.month);
}

void CTkCalendar::show_month(int year, int month) {
    using namespace std::chrono;
    if (month < 1 || month > 12) throw Error("there is no month " + std::to_string(month));
    year_ = year;
    month_ = month;
    heading_->setText(QString("%1年%2月").arg(year).arg(month));
    delete days_;
    days_ = new QWidget(this);
    days_->setGeometry(2, kDaysTop, 7 * kCellWidth, 6 * kCellHeight);
    auto& buttons = data[kButtons];
    buttons.clear();

    const std::chrono::year_month first{std::chrono::year{year}, std::chrono::month{static_cast<unsigned>(month)}};
    const int leading = static_cast<int>(weekday{sys_days{first / 1}}.c_encoding());  // Sunday first
    const int days = static_cast<int>(static_cast<unsigned>((first / last).day()));
    for (int day = 1; day <= days; ++day) {
        const int cell = leading + day - 1;
        auto* button = new QPushButton(QString::number(day), days_);
        configure(button, {.fg_color = "transparent"});
        button->setGeometry((cell % 7) * kCellWidth + 1, (cell / 7) * kCellHeight + 1, kCellWidth - 2, kCellHeight - 2);
        button->setEnabled(calendar_button_);
        if (picked_ && picked_->at("年") == year && picked_->at("月") == month && picked_->at("日") == day)
            configure(button, {.fg_color = ""});
        connect(button, &QPushButton::clicked, button, [this, day] { call_handler([this, day] { pick(day); }); });
        buttons[day_key(year, month, day)] = button;
    }
    days_->show();
}

void CTkCalendar::pick(int day) {
    if (picked_ && picked_->at("年") == year_ && picked_->at("月") == month_) {
        const auto old = data[kButtons].find(day_key(year_, month_, picked_->at("日")));
        if (old != data[kButtons].end()) configure(old->second, {.fg_color = "transparent"});
    }
    picked_ = std::map<std::string, int>{{"年", year_}, {"月", month_}, {"日", day}};
    configure(data[kButtons].at(day_key(year_, month_, day)), {.fg_color = ""});
    emit picked(year_, month_, day);
}

std::map<std::string, int> CTkCalendar::get_day() const {
    if (!picked_) throw Error("no day has been picked in the calendar");
    return *picked_;
}

}  // namespace Widget_Kit
