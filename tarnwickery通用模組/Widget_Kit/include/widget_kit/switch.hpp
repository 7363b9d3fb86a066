#pragma once

#include <widget_kit/toggle.hpp>

namespace Widget_Kit {

// An on/off switch: a rounded track with a knob that sits right while on.
class Switch : public Toggle {
public:
    Switch(QWidget* parent, const Toggle_Options& options);

protected:
    void paint_indicator(QPainter& painter, const QRect& area) const override;
};

}  // namespace Widget_Kit
