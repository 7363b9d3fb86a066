#pragma once

#include <QWidget>

#include <string>

namespace Widget_Kit {

struct Frame_Options {
    int width = 200;
    int height = 200;
    // Empty: the theme's panel colour; "transparent": the parent shows through.
    std::string fg_color;
    int border_width = 0;
    std::string border_color;
    int corner_radius = 6;
};

// A panel. It keeps its own size while its children are placed; a grid in it sizes
// it to its children.
class Frame : public QWidget {
public:
    explicit Frame(QWidget* parent, const Frame_Options& options = {});

    void set_height(int height);
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Frame_Options options_;
    QColor fill_;
};

}  // namespace Widget_Kit
