#include <widget_kit/text_variable.hpp>

namespace Widget_Kit {

Text_Variable::Text_Variable(std::string value, QObject* parent) : QObject(parent), value_(std::move(value)) {}

void Text_Variable::set(std::string value) {
    if (value == value_) return;
    value_ = std::move(value);
    emit changed();
}

}  // namespace Widget_Kit
