#pragma once

#include <widget_kit/mark.hpp>

#include <QAbstractButton>
#include <QFont>
#include <QPointer>

#include <functional>
#include <string>

namespace Widget_Kit {

class Text_Variable;

struct Toggle_Options {
    std::string text;
    // Runs after the user has flipped the widget and the variable holds the new value.
    std::function<void()> command;
    // Holds onvalue while the widget is on, offvalue while it is off; the widget shows
    // "on" exactly when the variable holds onvalue, also when the program sets it.
    Text_Variable* variable = nullptr;
    std::string onvalue = "on";
    std::string offvalue = "off";
    QFont font;
    // Empty: the parent shows through.
    std::string bg_color;
};

// A two-state widget with a text beside its indicator; Switch and Check_Box draw the
// indicator. A ring in the focus colour goes round it while it has the keyboard, and
// Space flips it.
class Toggle : public QAbstractButton {
public:
    Toggle(QWidget* parent, const Toggle_Options& options, QSize indicator);

    // Draws the text in the colour of `mark`, for a choice that cannot be honoured as it stands.
    void set_mark(Mark mark);
    Mark mark() const { return mark_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    virtual void paint_indicator(QPainter& painter, const QRect& area) const = 0;

private:
    void follow_variable();

    Toggle_Options options_;
    QSize indicator_;
    Mark mark_ = Mark::none;
    static constexpr int kSpacing = 8;
};

}  // namespace Widget_Kit
