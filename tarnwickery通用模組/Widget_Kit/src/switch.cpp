#include <widget_kit/switch.hpp>
#include <widget_kit/theme.hpp>

#include <QPainter>

namespace Widget_Kit {

Switch::Switch(QWidget* parent, const Toggle_Options& options) : Toggle(parent, options, QSize(36, 18)) {}

void Switch::paint_indicator(QPainter& painter, const QRect& area) const {
    const Theme& colours = theme();
    const QRectF track(area);
    const double radius = track.height() / 2;
    painter.setPen(Qt::NoPen);
    painter.setBrush(isChecked() ? colours.accent : colours.switch_off);
    painter.drawRoundedRect(track, radius, radius);
    const double knob = track.height() - 6;
    const double x = isChecked() ? track.right() - 3 - knob : track.left() + 3;
    painter.setBrush(colours.knob);
    painter.drawEllipse(QRectF(x, track.top() + 3, knob, knob));
}

}  // namespace Widget_Kit
