#include <widget_kit/entry.hpp>
#include <widget_kit/error.hpp>
#include <widget_kit/geometry.hpp>
#include <widget_kit/label.hpp>
#include <widget_kit/set_table.hpp>

namespace Widget_Kit {

namespace {

constexpr int kRowHeight = 40;
constexpr int kLabelWidth = 80;
constexpr int kEntryWidth = 280;

}  // namespace

Set_Table::Set_Table(QWidget* frame_) : frame(frame_) {}

QLineEdit* Set_Table::add_entry_name(const std::string& display_name) {
    const int y = static_cast<int>(fields_.size()) * kRowHeight + 5;
    QLabel* label = make_label(frame, {.text = display_name, .font = pixel_font("Microsoft JhengHei", 16, true)});
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    label->setFixedSize(kLabelWidth, 30);
    place(label, 0, y);
    QLineEdit* field = make_entry(frame, {.width = kEntryWidth, .height = 30});
    place(field, kLabelWidth + 5, y);
    fields_.emplace_back(display_name, field);
    return field;
}

QLineEdit* Set_Table::entry(const std::string& display_name) const {
    for (const auto& [name, field] : fields_)
        if (name == display_name && !field.isNull()) return field.data();
    throw Error("there is no field named " + display_name);
}

std::string Set_Table::get(const std::string& display_name) const { return entry(display_name)->text().toStdString(); }

}  // namespace Widget_Kit
