#include <widget_kit/entry.hpp>
#include <widget_kit/theme.hpp>

namespace Widget_Kit {

namespace {

constexpr const char* kCornerRadius = "widget_kit_corner_radius";
constexpr const char* kMarked = "widget_kit_marked";

QColor border_of(Mark mark) {
    const Theme& colours = theme();
    return mark == Mark::error ? colours.error : mark == Mark::warning ? colours.warning : colours.entry_border;
}

// The style sheet names only QLineEdit, the entry itself, and reaches no other widget.
// A marked entry keeps its mark's colour with the keyboard in it; only the width shows
// the focus then.
void style(QLineEdit* entry, Mark mark) {
    const Theme& colours = theme();
    const QColor border = border_of(mark);
    const QColor focused = mark == Mark::none ? colours.focus : border;
    entry->setStyleSheet(QString("QLineEdit { background-color: %1; color: %2; border: 2px solid %3; border-radius: %4px;"
                                 " padding: 0px 6px; selection-background-color: %5; }"
                                 " QLineEdit:focus { border: 3px solid %6; padding: 0px 5px; }")
                             .arg(colours.entry.name(), colours.text.name(), border.name())
                             .arg(entry->property(kCornerRadius).toInt())
                             .arg(colours.accent.name(), focused.name()));
}

}  // namespace

QLineEdit* make_entry(QWidget* parent, const Entry_Options& options) {
    auto* entry = new QLineEdit(parent);
    entry->setPlaceholderText(QString::fromStdString(options.placeholder_text));
    entry->setFixedSize(options.width, options.height);
    entry->setProperty(kCornerRadius, options.corner_radius);
    style(entry, Mark::none);
    return entry;
}

void mark_entry(QLineEdit* entry, Mark mark) {
    if (mark_of(entry) == mark) return;
    entry->setProperty(kMarked, static_cast<int>(mark));
    style(entry, mark);
}

void mark_entry(QLineEdit* entry, bool marked) { mark_entry(entry, marked ? Mark::error : Mark::none); }

Mark mark_of(const QLineEdit* entry) { return static_cast<Mark>(entry->property(kMarked).toInt()); }

bool is_marked(const QLineEdit* entry) { return mark_of(entry) == Mark::error; }

}  // namespace Widget_Kit
