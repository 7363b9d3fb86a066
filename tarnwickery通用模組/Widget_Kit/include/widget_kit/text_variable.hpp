#pragma once

#include <QObject>

#include <string>

namespace Widget_Kit {

// A text shared between widgets and the program: labels show it, switches and check
// boxes write their on- or off-value into it.
class Text_Variable : public QObject {
    Q_OBJECT
public:
    explicit Text_Variable(std::string value = {}, QObject* parent = nullptr);

    const std::string& get() const { return value_; }
    // Emits changed when the value differs from the current one.
    void set(std::string value);

signals:
    void changed();

private:
    std::string value_;
};

}  // namespace Widget_Kit
