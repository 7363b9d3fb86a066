#pragma once

#include <widget_kit/toggle.hpp>

namespace Widget_Kit {

// A check box: a rounded square, filled with the accent colour and ticked while on.
class Check_Box : public Toggle {
public:
    Check_Box(QWidget* parent, const Toggle_Options& options);

protected:
    void paint_indicator(QPainter& painter, const QRect& area) const override;
};

}  // namespace Widget_Kit
