#include <widget_kit/label.hpp>
#include <widget_kit/text_variable.hpp>
#include <widget_kit/theme.hpp>

#include <QLayout>

namespace Widget_Kit {

namespace {

QString qt_text(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

bool in_layout(const QWidget* widget) {
    const QWidget* parent = widget->parentWidget();
    return parent != nullptr && parent->layout() != nullptr && parent->layout()->indexOf(widget) >= 0;
}

}  // namespace

QFont point_font(std::string_view family, int points, bool bold) {
    QFont font(qt_text(family));
    font.setPointSize(points);
    font.setBold(bold);
    return font;
}

QFont pixel_font(std::string_view family, int pixels, bool bold) {
    QFont font(qt_text(family));
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

QLabel* make_label(QWidget* parent, const Label_Options& options) {
    auto* label = new QLabel(parent);
    // A label shows its text as it is; a text variable may hold what was typed.
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignCenter);
    label->setFont(options.font);
    QPalette colours = label->palette();
    colours.setColor(QPalette::WindowText, options.fg_color.empty() ? theme().text : color_of(options.fg_color));
    if (!options.bg_color.empty()) {
        colours.setColor(QPalette::Window, color_of(options.bg_color));
        label->setAutoFillBackground(true);
    } else {
        label->setMinimumHeight(28);
    }
    label->setPalette(colours);
    if (Text_Variable* variable = options.textvariable) {
        const auto show = [label, variable] {
            label->setText(QString::fromStdString(variable->get()));
            // A placed label grows and shrinks with its text; a gridded one follows its grid.
            if (!in_layout(label)) label->resize(label->sizeHint().expandedTo(label->minimumSize()));
        };
        QObject::connect(variable, &Text_Variable::changed, label, show);
        show();
    } else {
        label->setText(qt_text(options.text));
    }
    return label;
}

}  // namespace Widget_Kit
