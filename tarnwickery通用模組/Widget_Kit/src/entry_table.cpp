#include <widget_kit/entry_table.hpp>
#include <widget_kit/error.hpp>
#include <widget_kit/geometry.hpp>
#include <widget_kit/label.hpp>
#include <widget_kit/text_variable.hpp>

#include <random>

namespace Widget_Kit {

namespace {

// Column keys are opaque on purpose: callers find columns by display name.
std::string random_key() {
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    static std::mt19937 generator{std::random_device{}()};
    std::uniform_int_distribution<std::size_t> pick(0, sizeof kLetters - 2);
    std::string key(16, ' ');
    for (char& c : key) c = kLetters[pick(generator)];
    return key;
}

}  // namespace

std::string Entry_Table::Cell::text() const {
    if (!entry.isNull()) return entry->text().toStdString();
    if (!variable.isNull()) return variable->get();
    return {};
}

Entry_Table::Entry_Table(QWidget* frame_) : frame(frame_) {}

void Entry_Table::add_entry_name(const std::string& display_name, int width, const std::string& state) {
    const int x = entry_name.empty() ? entry_x_init : entry_name.back().second.x + entry_name.back().second.width;
    std::string key = random_key();
    while (entry.contains(key)) key = random_key();
    entry_name.emplace_back(key, Column{display_name, width, x, state});
    name_to_random_string[display_name] = key;
    entry[key];
    default_value_get[key];

    QLabel* heading = make_label(frame, {.text = display_name, .font = pixel_font("Microsoft JhengHei", 15, true)});
    heading->setFixedSize(width, 28);
    place(heading, x, 1);
}

const Entry_Table::Column& Entry_Table::column(const std::string& key) const {
    for (const auto& [column_key, description] : entry_name)
        if (column_key == key) return description;
    throw Error("the table has no column " + key);
}

std::vector<std::vector<std::string>> Entry_Table::get() const {
    std::vector<std::vector<std::string>> columns;
    for (const auto& [key, description] : entry_name) {
        std::vector<std::string> texts;
        if (const auto cells = entry.find(key); cells != entry.end())
            for (const Cell& cell : cells->second) texts.push_back(cell.text());
        columns.push_back(std::move(texts));
    }
    return columns;
}

}  // namespace Widget_Kit
