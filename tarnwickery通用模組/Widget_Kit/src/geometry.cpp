#include <widget_kit/error.hpp>
#include <widget_kit/geometry.hpp>

#include <QEvent>
#include <QGridLayout>
#include <QPointer>
#include <QWidgetItem>

#include <algorithm>
#include <cmath>

namespace Widget_Kit {

namespace {

QSize requested_size(const QWidget* widget) {
    QSize size = widget->sizeHint();
    if (!size.isValid()) size = QSize(0, 0);
    return size.expandedTo(widget->minimumSize()).boundedTo(widget->maximumSize());
}

// A grid cell entry with padding of its own and the stickiness of a toolkit grid: the
// widget keeps its requested size along a side it does not stick to.
class Padded_Item : public QWidgetItem {
public:
    Padded_Item(QWidget* widget, const Grid_Options& options)
        : QWidgetItem(widget), padx_(options.padx), pady_(options.pady),
          north_(options.sticky.find('n') != std::string::npos), south_(options.sticky.find('s') != std::string::npos),
          east_(options.sticky.find('e') != std::string::npos), west_(options.sticky.find('w') != std::string::npos) {}

    QSize sizeHint() const override {
        if (isEmpty()) return {0, 0};
        return requested_size(widget()) + QSize(padx_.before + padx_.after, pady_.before + pady_.after);
    }
    QSize minimumSize() const override { return sizeHint(); }
    QSize maximumSize() const override { return {QWIDGETSIZE_MAX, QWIDGETSIZE_MAX}; }
    Qt::Orientations expandingDirections() const override { return {}; }
    bool hasHeightForWidth() const override { return false; }

    void setGeometry(const QRect& cell) override {
        if (isEmpty()) return;
        const QRect inner = cell.adjusted(padx_.before, pady_.before, -padx_.after, -pady_.after);
        const QSize wanted = requested_size(widget());
        const auto span = [](int start, int length, int want, bool low, bool high) {
            if (low && high) return std::pair{start, std::max(length, 0)};
            const int size = std::max(std::min(want, length), 0);
            if (low) return std::pair{start, size};
            if (high) return std::pair{start + length - size, size};
            return std::pair{start + (length - size) / 2, size};
        };
        const auto [x, width] = span(inner.x(), inner.width(), wanted.width(), west_, east_);
        const auto [y, height] = span(inner.y(), inner.height(), wanted.height(), north_, south_);
        widget()->setGeometry(x, y, width, height);
    }

private:
    Pad padx_;
    Pad pady_;
    bool north_, south_, east_, west_;
};

QGridLayout* grid_of(QWidget* container) {
    if (container->layout() == nullptr) {
        auto* layout = new QGridLayout(container);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
        return layout;
    }
    auto* layout = qobject_cast<QGridLayout*>(container->layout());
    if (layout == nullptr) throw Error("a widget cannot go on the grid of a container that has another layout");
    return layout;
}

// Keeps a placed widget's anchor point where it was put when the widget's size changes.
class Anchor_Keeper : public QObject {
public:
    Anchor_Keeper(QWidget* widget, double x, double y, double fx, double fy)
        : QObject(widget), x_(x), y_(y), fx_(fx), fy_(fy) {
        setObjectName(kName);
        widget->installEventFilter(this);
        apply(widget);
    }
    void move_to(QWidget* widget, double x, double y, double fx, double fy) {
        x_ = x, y_ = y, fx_ = fx, fy_ = fy;
        apply(widget);
    }

    static constexpr const char* kName = "Widget_Kit anchor";

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Resize) apply(static_cast<QWidget*>(watched));
        return false;
    }

private:
    void apply(QWidget* widget) const {
        widget->move(static_cast<int>(std::lround(x_ - fx_ * widget->width())),
                     static_cast<int>(std::lround(y_ - fy_ * widget->height())));
    }
    double x_, y_, fx_, fy_;
};

}  // namespace

void grid(QWidget* widget, const Grid_Options& options) {
    QWidget* parent = widget->parentWidget();
    if (parent == nullptr) throw Error("a widget without a parent cannot go on a grid");
    grid_of(parent)->addItem(new Padded_Item(widget, options), options.row, options.column, options.rowspan,
                             options.columnspan);
    if (parent->isVisible()) widget->show();
}

void grid_columnconfigure(QWidget* container, int column, int weight) { grid_of(container)->setColumnStretch(column, weight); }

void place(QWidget* widget, double x, double y, std::string_view anchor) {
    double fx = 0, fy = 0;
    if (anchor == "nw") fx = 0, fy = 0;
    else if (anchor == "n") fx = 0.5, fy = 0;
    else if (anchor == "ne") fx = 1, fy = 0;
    else if (anchor == "w") fx = 0, fy = 0.5;
    else if (anchor == "center") fx = 0.5, fy = 0.5;
    else if (anchor == "e") fx = 1, fy = 0.5;
    else if (anchor == "sw") fx = 0, fy = 1;
    else if (anchor == "s") fx = 0.5, fy = 1;
    else if (anchor == "se") fx = 1, fy = 1;
    else throw Error("'" + std::string(anchor) + "' is not an anchor");
    widget->resize(requested_size(widget));
    if (auto* keeper = widget->findChild<QObject*>(Anchor_Keeper::kName, Qt::FindDirectChildrenOnly))
        static_cast<Anchor_Keeper*>(keeper)->move_to(widget, x, y, fx, fy);
    else
        new Anchor_Keeper(widget, x, y, fx, fy);
    if (widget->parentWidget() != nullptr && widget->parentWidget()->isVisible()) widget->show();
}

}  // namespace Widget_Kit
