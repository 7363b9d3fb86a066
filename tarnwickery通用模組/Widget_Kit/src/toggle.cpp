#include <widget_kit/handlers.hpp>
#include <widget_kit/text_variable.hpp>
#include <widget_kit/theme.hpp>
#include <widget_kit/toggle.hpp>

#include <QPainter>

namespace Widget_Kit {

Toggle::Toggle(QWidget* parent, const Toggle_Options& options, QSize indicator)
    : QAbstractButton(parent), options_(options), indicator_(indicator) {
    setCheckable(true);
    setText(QString::fromStdString(options.text));
    setFont(options.font);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
    if (options_.variable != nullptr) {
        connect(options_.variable, &Text_Variable::changed, this, &Toggle::follow_variable);
        follow_variable();
    }
    // Only the user's flips write the variable and run the command, as in the toolkit.
    connect(this, &QAbstractButton::clicked, this, [this](bool on) {
        if (options_.variable != nullptr) options_.variable->set(on ? options_.onvalue : options_.offvalue);
        call_handler(options_.command);
    });
}

void Toggle::set_mark(Mark mark) {
    if (mark == mark_) return;
    mark_ = mark;
    update();
}

void Toggle::follow_variable() {
    const bool on = options_.variable->get() == options_.onvalue;
    if (on != isChecked()) setChecked(on);
}

QSize Toggle::sizeHint() const {
    const QFontMetrics metrics(font());
    const int text_width = text().isEmpty() ? 0 : kSpacing + metrics.horizontalAdvance(text());
    return {indicator_.width() + text_width, std::max({indicator_.height(), metrics.height(), 24})};
}

void Toggle::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (!options_.bg_color.empty()) painter.fillRect(rect(), color_of(options_.bg_color));
    const QRect indicator(0, (height() - indicator_.height()) / 2, indicator_.width(), indicator_.height());
    paint_indicator(painter, indicator);
    const Theme& colours = theme();
    if (hasFocus()) {
        painter.setPen(QPen(colours.focus, 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 4, 4);
    }
    if (text().isEmpty()) return;
    const QColor text_colour = mark_ == Mark::error     ? colours.error
                               : mark_ == Mark::warning ? colours.warning
                                                        : colours.text;
    painter.setPen(isEnabled() ? text_colour : colours.disabled_text);
    painter.setFont(font());
    painter.drawText(QRect(indicator.right() + 1 + kSpacing, 0, width() - indicator.width() - kSpacing, height()),
                     Qt::AlignLeft | Qt::AlignVCenter, text());
}

}  // namespace Widget_Kit
