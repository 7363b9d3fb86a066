#include "date_label.hpp"

#include <receipt_channels/request_rules.hpp>
#include <widget_kit/label.hpp>

namespace receipt_window {

Date_Label::Date_Label(QWidget* parent) : QLabel(parent) {
    setFont(Widget_Kit::pixel_font("Microsoft JhengHei", 13, true));
}

void Date_Label::show_date(const nlohmann::ordered_json& parameters) {
    if (!parameters.at("顯示日期").get<bool>()) {
        setText(QString());
        return;
    }
    setText(QString::fromStdString(request_rules::roc_date_text(parameters.at("年"), parameters.at("月"), parameters.at("日"))));
}

}  // namespace receipt_window
