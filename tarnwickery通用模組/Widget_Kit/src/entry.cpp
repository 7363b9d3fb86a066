#include <widget_kit/entry.hpp>
#include <widget_kit/theme.hpp>

namespace Widget_Kit {

namespace {

constexpr const char* kCornerRadius = "widget_kit_corner_radius";
constexpr const char* kMarked = "widget_kit_marked";

// The style sheet has no selector: it is this entry's own and reaches no other widget.
void style(QLineEdit* entry, const QColor& border) {
    const Theme& colours = theme();
    entry->setStyleSheet(QString("background-color: %1; color: %2; border: 2px solid %3; border-radius: %4px;"
                                 " padding: 0px 6px; selection-background-color: %5;")
                             .arg(colours.entry.name(), colours.text.name(), border.name())
                             .arg(entry->property(kCornerRadius).toInt())
                             .arg(colours.accent.name()));
}

}  // namespace

QLineEdit* make_entry(QWidget* parent, const Entry_Options& options) {
    auto* entry = new QLineEdit(parent);
    entry->setPlaceholderText(QString::fromStdString(options.placeholder_text));
    entry->setFixedSize(options.width, options.height);
    entry->setProperty(kCornerRadius, options.corner_radius);
    style(entry, theme().entry_border);
    return entry;
}

void mark_entry(QLineEdit* entry, bool marked) {
    if (is_marked(entry) == marked) return;
    entry->setProperty(kMarked, marked);
    style(entry, marked ? theme().error : theme().entry_border);
}

bool is_marked(const QLineEdit* entry) { return entry->property(kMarked).toBool(); }

}  // namespace Widget_Kit
