#pragma once

#include <QLabel>
#include <QPushButton>
#include <QWidget>

#include <map>
#include <optional>
#include <string>

namespace Widget_Kit {

// A month calendar whose days are buttons. Pressing a day picks it; the arrows show
// the month before or after.
class CTkCalendar : public QWidget {
    Q_OBJECT
public:
    // Shows the month of `year` and `month` when given, else the current month. With
    // `calendar_button` false the days are shown but cannot be picked.
    CTkCalendar(QWidget* parent, bool calendar_button = true, std::optional<int> year = {},
                std::optional<int> month = {});

    // The picked day as {"年", "月", "日"}. Throws Widget_Kit::Error while no day
    // has been picked.
    std::map<std::string, int> get_day() const;

    // Shows another month; its day buttons replace those in `data`.
    void show_month(int year, int month);

    // Under "日曆按鈕": the day buttons of the month shown, keyed year-month-day
    // without leading zeros ("2025-1-5").
    std::map<std::string, std::map<std::string, QPushButton*>> data;

signals:
    // A day was picked, as it is picked: the calendar may be closed right after.
    void picked(int year, int month, int day);

private:
    void pick(int day);

    bool calendar_button_;
    int year_ = 0;
    int month_ = 0;
    std::optional<std::map<std::string, int>> picked_;
    QLabel* heading_ = nullptr;
    QWidget* days_ = nullptr;
};

}  // namespace Widget_Kit
