#include <widget_kit/frame.hpp>
#include <widget_kit/theme.hpp>

#include <QLayout>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace Widget_Kit {

namespace {

// A panel on another painted panel is drawn a shade lighter, so that it stands out.
bool on_painted_panel(const QWidget* widget) {
    for (const QWidget* parent = widget->parentWidget(); parent != nullptr; parent = parent->parentWidget()) {
        if (const auto* frame = dynamic_cast<const Frame*>(parent)) {
            if (frame->property("painted").toBool()) return true;
        }
    }
    return false;
}

}  // namespace

Frame::Frame(QWidget* parent, const Frame_Options& options) : QWidget(parent), options_(options) {
    if (options.fg_color.empty())
        fill_ = on_painted_panel(this) ? theme().nested_frame : theme().frame;
    else
        fill_ = color_of(options.fg_color);
    setProperty("painted", fill_.alpha() != 0);
    resize(options.width, options.height);
}

void Frame::set_height(int height) {
    options_.height = height;
    resize(width(), height);
    updateGeometry();
}

QSize Frame::sizeHint() const {
    if (layout() != nullptr) return QWidget::sizeHint();
    return {options_.width, options_.height};
}

QSize Frame::minimumSizeHint() const { return sizeHint(); }

void Frame::paintEvent(QPaintEvent*) {
    const QColor border = color_of(options_.border_color);
    const bool bordered = options_.border_width > 0 && border.alpha() != 0;
    if (fill_.alpha() == 0 && !bordered) return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, options_.corner_radius > 0);
    const QRectF area(rect());
    const double radius = options_.corner_radius;
    if (fill_.alpha() != 0) {
        QPainterPath outline;
        outline.addRoundedRect(area, radius, radius);
        painter.fillPath(outline, fill_);
    }
    if (bordered) {
        const double half = options_.border_width / 2.0;
        QPen pen(border, options_.border_width);
        pen.setJoinStyle(Qt::MiterJoin);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(area.adjusted(half, half, -half, -half), std::max(0.0, radius - half),
                                std::max(0.0, radius - half));
    }
}

}  // namespace Widget_Kit
