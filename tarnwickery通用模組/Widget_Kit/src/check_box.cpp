#include <widget_kit/check_box.hpp>
#include <widget_kit/theme.hpp>

#include <QPainter>
#include <QPainterPath>

namespace Widget_Kit {

Check_Box::Check_Box(QWidget* parent, const Toggle_Options& options) : Toggle(parent, options, QSize(24, 24)) {}

void Check_Box::paint_indicator(QPainter& painter, const QRect& area) const {
    const Theme& colours = theme();
    const QRectF box = QRectF(area).adjusted(1.5, 1.5, -1.5, -1.5);
    if (isChecked()) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(underMouse() ? colours.accent_hover : colours.accent);
        painter.drawRoundedRect(box.adjusted(-1.5, -1.5, 1.5, 1.5), 6, 6);
        QPainterPath tick;
        tick.moveTo(box.left() + box.width() * 0.25, box.top() + box.height() * 0.52);
        tick.lineTo(box.left() + box.width() * 0.43, box.top() + box.height() * 0.70);
        tick.lineTo(box.left() + box.width() * 0.76, box.top() + box.height() * 0.32);
        QPen pen(colours.text, 2.5);
        pen.setCapStyle(Qt::RoundCap);
        pen.setJoinStyle(Qt::RoundJoin);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(tick);
    } else {
        painter.setPen(QPen(underMouse() ? colours.accent_hover : colours.box_border, 3));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(box, 5, 5);
    }
}

}  // namespace Widget_Kit
