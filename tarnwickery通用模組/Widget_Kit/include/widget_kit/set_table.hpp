#pragma once

#include <QLineEdit>
#include <QPointer>

#include <string>
#include <utility>
#include <vector>

namespace Widget_Kit {

// A column of labelled single-line fields, one per display name, placed in `frame`
// one under the other.
class Set_Table {
public:
    explicit Set_Table(QWidget* frame);

    // Adds a field under `display_name`.
    QLineEdit* add_entry_name(const std::string& display_name);
    // The field's current text. Throws Widget_Kit::Error for an unknown name.
    std::string get(const std::string& display_name) const;
    // Throws Widget_Kit::Error for an unknown name.
    QLineEdit* entry(const std::string& display_name) const;

    QWidget* frame;

private:
    std::vector<std::pair<std::string, QPointer<QLineEdit>>> fields_;
};

}  // namespace Widget_Kit
