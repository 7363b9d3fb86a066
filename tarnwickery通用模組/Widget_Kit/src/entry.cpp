#include <widget_kit/entry.hpp>
#include <widget_kit/theme.hpp>

namespace Widget_Kit {

QLineEdit* make_entry(QWidget* parent, const Entry_Options& options) {
    auto* entry = new QLineEdit(parent);
    entry->setPlaceholderText(QString::fromStdString(options.placeholder_text));
    entry->setFixedSize(options.width, options.height);
    const Theme& colours = theme();
    // The style sheet has no selector: it is this entry's own and reaches no other widget.
    entry->setStyleSheet(QString("background-color: %1; color: %2; border: 2px solid %3; border-radius: %4px;"
                                 " padding: 0px 6px; selection-background-color: %5;")
                             .arg(colours.entry.name(), colours.text.name(), colours.entry_border.name())
                             .arg(options.corner_radius)
                             .arg(colours.accent.name()));
    return entry;
}

}  // namespace Widget_Kit
