#include "date_label.hpp"

#include <widget_kit/label.hpp>

#include <cstdio>

namespace receipt_window {

Date_Label::Date_Label(QWidget* parent) : QLabel(parent) {
    setFont(Widget_Kit::pixel_font("Microsoft JhengHei", 13, true));
}

std::string Date_Label::roc_date_text(int year, int month, int day) {
    char text[48];
    std::snprintf(text, sizeof text, "%d/%02d/%02d", year - 1911, month, day);
    return text;
}

void Date_Label::show_date(const nlohmann::ordered_json& parameters) {
    if (!parameters.at("顯示日期").get<bool>()) {
        setText(QString());
        return;
    }
    setText(QString::fromStdString(roc_date_text(parameters.at("年"), parameters.at("月"), parameters.at("日"))));
}

}  // namespace receipt_window
