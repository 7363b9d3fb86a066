#pragma once

#include <QByteArray>
#include <QImage>
#include <QScrollArea>

#include <memory>
#include <vector>

namespace Poppler {
class Document;
}

namespace receipt_window {

class Pdf_Pages;

// The pages of a PDF one under the other on a grey ground, drawn by poppler at the
// screen's device pixel ratio so that they are sharp on a HiDPI screen. The page width
// fits the view until the user zooms with Ctrl+wheel; the plain wheel scrolls. Pages are
// drawn again only when their size or the pixel ratio changes: an idle view costs nothing.
class Pdf_Page_View : public QScrollArea {
    Q_OBJECT
public:
    explicit Pdf_Page_View(QWidget* parent = nullptr);
    ~Pdf_Page_View() override;

    // Shows `pdf`. Throws std::runtime_error saying why when poppler cannot read it; the
    // pages shown before stay then.
    void show_pdf(const QByteArray& pdf);
    // Greys the pages, for pages that no longer stand for what they show.
    void set_dimmed(bool dimmed);
    bool dimmed() const;

    // 1.0 shows a page at its printed size (72 points to the inch of 96 logical pixels).
    double zoom() const { return zoom_; }
    // Fixes the zoom, kept between 25 % and 400 %; the page no longer follows the width.
    void set_zoom(double zoom);

    // The pages as drawn for the view now, drawn first if they are not yet.
    const std::vector<QImage>& page_images();
    // How many times the pages were drawn since the view was made.
    int renders() const;

    static constexpr double kMinimumZoom = 0.25;
    static constexpr double kMaximumZoom = 4.0;

protected:
    void wheelEvent(QWheelEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // Sizes the pages for the zoom, and the zoom for the width while it follows it.
    void lay_out();

    std::unique_ptr<Poppler::Document> document_;
    Pdf_Pages* pages_ = nullptr;
    double zoom_ = 1.0;
    bool fit_width_ = true;
};

}  // namespace receipt_window
