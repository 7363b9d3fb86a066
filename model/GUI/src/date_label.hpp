#pragma once

#include <nlohmann/json.hpp>

#include <QLabel>

#include <string>

namespace receipt_window {

// Left of the 日期 switch: the receipt date that will be printed, in the
// Republic-of-China form 115/12/07; empty while the date is not to be printed.
class Date_Label : public QLabel {
public:
    explicit Date_Label(QWidget* parent);

    // Shows the date held in the window's parameters (顯示日期, 年, 月, 日).
    void show_date(const nlohmann::ordered_json& parameters);
};

}  // namespace receipt_window
