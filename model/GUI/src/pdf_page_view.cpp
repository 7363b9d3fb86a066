#include "pdf_page_view.hpp"

#include <i18n/tr.hpp>

#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>
#include <poppler-qt6.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace receipt_window {

namespace {

constexpr int kMargin = 12;                   // around and between the pages, in logical pixels
constexpr double kPixelsPerPoint = 96.0 / 72;  // a page at 100 % is its printed size
constexpr double kZoomStep = 1.1;              // one notch of the wheel
const QColor kGround("#6b6e72");
// Laid over a page it greys it clearly while its text stays readable.
const QColor kDimming(70, 72, 75, 140);

// `pdf` without its output intent, for the screen. The converter writes PDF/A, whose
// catalogue names an sRGB output intent; poppler builds that profile's colour transforms
// again for every page it draws, some 40 ms of a 48 ms A5 page on this kind of machine,
// to map sRGB onto a screen taken to be sRGB. The key is renamed to one of the same
// length that poppler does not know, so every byte offset of the file stays right.
QByteArray without_output_intent(QByteArray pdf) {
    return pdf.replace("/OutputIntents", "/OutputIntentZ");
}

}  // namespace

// The canvas inside the scroll area: the pages at the zoom, drawn when first painted
// at a zoom and pixel ratio, and kept until either changes.
class Pdf_Pages : public QWidget {
public:
    explicit Pdf_Pages(QWidget* parent) : QWidget(parent) {}

    void set_document(Poppler::Document* document) {
        document_ = document;
        page_sizes_.clear();
        for (int i = 0; i < document->numPages(); ++i) page_sizes_.push_back(document->page(i)->pageSizeF());
        images_.clear();
        lay_out(zoom_);
    }

    double widest_page() const {
        double widest = 0;
        for (const QSizeF& size : page_sizes_) widest = std::max(widest, size.width());
        return widest;
    }

    void lay_out(double zoom) {
        zoom_ = zoom;
        rects_.clear();
        int width = 0;
        int y = kMargin;
        for (const QSizeF& size : page_sizes_) {
            const QSize shown(qRound(size.width() * zoom * kPixelsPerPoint), qRound(size.height() * zoom * kPixelsPerPoint));
            rects_.emplace_back(QPoint(kMargin, y), shown);
            y += shown.height() + kMargin;
            width = std::max(width, shown.width() + 2 * kMargin);
        }
        for (QRect& rect : rects_) rect.moveLeft((width - rect.width()) / 2);
        resize(width, y);
        update();
    }

    const std::vector<QImage>& images() {
        const double ratio = devicePixelRatioF();
        if (document_ == nullptr || (images_.size() == page_sizes_.size() && drawn_zoom_ == zoom_ && drawn_ratio_ == ratio))
            return images_;
        images_.clear();
        const double resolution = 72 * zoom_ * kPixelsPerPoint * ratio;
        for (int i = 0; i < document_->numPages(); ++i) {
            QImage image = document_->page(i)->renderToImage(resolution, resolution);
            image.setDevicePixelRatio(ratio);
            images_.push_back(std::move(image));
        }
        drawn_zoom_ = zoom_;
        drawn_ratio_ = ratio;
        ++renders_;
        return images_;
    }

    bool dimmed = false;
    int renders() const { return renders_; }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), kGround);
        const std::vector<QImage>& drawn = images();
        for (std::size_t i = 0; i < drawn.size() && i < rects_.size(); ++i) {
            painter.drawImage(rects_[i], drawn[i]);
            if (dimmed) painter.fillRect(rects_[i], kDimming);
        }
    }

private:
    Poppler::Document* document_ = nullptr;
    std::vector<QSizeF> page_sizes_;
    std::vector<QRect> rects_;
    std::vector<QImage> images_;
    double zoom_ = 1.0;
    double drawn_zoom_ = 0;
    double drawn_ratio_ = 0;
    int renders_ = 0;
};

Pdf_Page_View::Pdf_Page_View(QWidget* parent) : QScrollArea(parent), pages_(new Pdf_Pages(this)) {
    setWidget(pages_);
    setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    setBackgroundRole(QPalette::Dark);
    QPalette ground = palette();
    ground.setColor(QPalette::Dark, kGround);
    setPalette(ground);
}

Pdf_Page_View::~Pdf_Page_View() = default;

void Pdf_Page_View::show_pdf(const QByteArray& pdf) {
    std::unique_ptr<Poppler::Document> document = Poppler::Document::loadFromData(without_output_intent(pdf));
    bool readable = document != nullptr && !document->isLocked() && document->numPages() > 0;
    for (int i = 0; readable && i < document->numPages(); ++i) readable = document->page(i) != nullptr;
    if (!readable) throw std::runtime_error(i18n::tr("the preview's PDF cannot be read"));
    document->setRenderHint(Poppler::Document::Antialiasing);
    document->setRenderHint(Poppler::Document::TextAntialiasing);
    pages_->set_document(document.get());
    document_ = std::move(document);
    lay_out();
}

void Pdf_Page_View::set_dimmed(bool dimmed) {
    pages_->dimmed = dimmed;
    pages_->update();
}

bool Pdf_Page_View::dimmed() const { return pages_->dimmed; }

void Pdf_Page_View::set_zoom(double zoom) {
    fit_width_ = false;
    zoom_ = std::clamp(zoom, kMinimumZoom, kMaximumZoom);
    lay_out();
}

const std::vector<QImage>& Pdf_Page_View::page_images() { return pages_->images(); }

int Pdf_Page_View::renders() const { return pages_->renders(); }

void Pdf_Page_View::wheelEvent(QWheelEvent* event) {
    if (!(event->modifiers() & Qt::ControlModifier)) {
        QScrollArea::wheelEvent(event);
        return;
    }
    const int notches = event->angleDelta().y();
    event->accept();
    if (notches == 0) return;
    const double before = zoom_;
    set_zoom(zoom_ * std::pow(kZoomStep, notches / 120.0));
    // The point under the mouse stays under it.
    const QPointF at = event->position();
    const double scale = zoom_ / before;
    horizontalScrollBar()->setValue(qRound((horizontalScrollBar()->value() + at.x()) * scale - at.x()));
    verticalScrollBar()->setValue(qRound((verticalScrollBar()->value() + at.y()) * scale - at.y()));
}

void Pdf_Page_View::resizeEvent(QResizeEvent* event) {
    QScrollArea::resizeEvent(event);
    if (fit_width_) lay_out();
}

void Pdf_Page_View::lay_out() {
    if (document_ == nullptr) return;
    if (fit_width_) {
        // The room of the scroll bar is kept whether it shows or not: a width that made it
        // come would narrow the view, and the page with it, until it went again.
        const int room = width() - 2 * frameWidth() - verticalScrollBar()->sizeHint().width() - 2 * kMargin;
        zoom_ = std::clamp(room / (pages_->widest_page() * kPixelsPerPoint), kMinimumZoom, kMaximumZoom);
    }
    pages_->lay_out(zoom_);
}

}  // namespace receipt_window
