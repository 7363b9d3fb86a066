// The preview window beside the main one: the pages it draws, zooms, dims and dates, and
// its 輸出單據 button and keys, at a device pixel ratio of 2 (QT_SCALE_FACTOR where registered).
#include "pdf_page_view.hpp"
#include "preview_window.hpp"
#include "window_fixture.hpp"

#include <widget_kit/theme.hpp>

#include <QApplication>
#include <QBuffer>
#include <QPainter>
#include <QPdfWriter>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>

#include <cmath>
#include <memory>

using receipt_window::Pdf_Page_View;
using receipt_window::Preview_Window;
using receipt_window::preview_placement;

namespace {

// A5 landscape pages, each with a black block in its middle and white elsewhere; PDF/A
// with its sRGB output intent, as the converter writes receipts.
QByteArray receipt_pdf(int pages) {
    QByteArray pdf;
    QBuffer buffer(&pdf);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setPdfVersion(QPagedPaintDevice::PdfVersion_A1b);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A5), QPageLayout::Landscape, QMarginsF()));
    writer.setResolution(72);
    QPainter painter(&writer);
    for (int page = 0; page < pages; ++page) {
        if (page > 0) writer.newPage();
        painter.fillRect(QRect(200, 150, 195, 120), Qt::black);
    }
    painter.end();
    return pdf;
}

QColor pixel_at(QWidget* widget, QPoint logical) {
    const QImage shot = widget->grab().toImage();
    return shot.pixelColor(logical * shot.devicePixelRatio());
}

void wheel(Pdf_Page_View* view, int angle, Qt::KeyboardModifiers modifiers) {
    const QPointF at = view->viewport()->rect().center();
    QWheelEvent event(at, view->viewport()->mapToGlobal(at), {}, {0, angle}, Qt::NoButton, modifiers, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view->viewport(), &event);
}

class Preview_Window_Test : public window_test::Window_Test {
protected:
    void SetUp() override {
        Window_Test::SetUp();
        main_window = std::make_unique<QWidget>();
        main_window->setGeometry(40, 40, 730, 600);
        preview = new Preview_Window(main_window.get(), std::nullopt);
        // The offscreen screen is small at this ratio: the window gets the size it asks for.
        preview->resize(Preview_Window::wanted_size());
        preview->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(preview));
    }

    std::unique_ptr<QWidget> main_window;
    Preview_Window* preview = nullptr;  // the main window's
    const QDateTime form_time{QDate(2026, 3, 14), QTime(10, 31, 5)};
};

}  // namespace

TEST(Preview_Placement, BesideTheMainWindowOnASmallScreenAndWhereItWasLeftWhenThatIsOnTheScreen) {
    const QSize wanted = Preview_Window::wanted_size();
    for (const QRect screen : {QRect(0, 0, 1366, 768), QRect(0, 0, 1366, 728), QRect(0, 40, 1366, 728)}) {
        for (int x = screen.left(); x + 730 <= screen.right() + 1; x += 17) {
            for (int y = screen.top(); y + 600 <= screen.bottom() + 1; y += 23) {
                const QRect main(x, y, 730, 600), placed = preview_placement(main, screen, wanted, std::nullopt);
                ASSERT_TRUE(!placed.intersects(main) && screen.contains(placed) && placed.width() >= 300) << x << "," << y;
            }
        }
    }
    const QRect large(0, 0, 1920, 1080);
    EXPECT_EQ(preview_placement({100, 100, 730, 600}, large, wanted, std::nullopt), QRect(830, 100, 860, 680));
    EXPECT_EQ(preview_placement({1100, 100, 730, 600}, large, wanted, std::nullopt), QRect(240, 100, 860, 680));

    EXPECT_EQ(preview_placement({0, 0, 730, 600}, large, wanted, QRect(1600, 200, 500, 400)), QRect(1600, 200, 500, 400));
    EXPECT_EQ(preview_placement({0, 0, 730, 600}, large, wanted, QRect(1700, 200, 500, 400)), QRect(730, 0, 860, 680))
        << "a screen that was unplugged";
}

TEST_F(Preview_Window_Test, DrawsEveryPageToTheWidthAtTheScreensPixelRatio) {
    EXPECT_EQ(preview->windowTitle().toStdString(), "預覽");
    ASSERT_EQ(preview->devicePixelRatioF(), 2.0) << "run with QT_SCALE_FACTOR=2, as tests/CMakeLists.txt registers this test";

    preview->show_receipt(receipt_pdf(2), form_time);
    Pdf_Page_View* view = preview->pages;
    const std::vector<QImage> images = view->page_images();
    ASSERT_EQ(images.size(), 2u);
    const double page_width = 595.0 * 96 / 72 * view->zoom();
    QApplication::processEvents();  // the scroll bar comes for two pages
    ASSERT_TRUE(view->verticalScrollBar()->isVisible());
    EXPECT_NEAR(page_width, view->viewport()->width() - 24, 2) << "the page fits the width";
    for (const QImage& image : images) {
        EXPECT_NEAR(image.width(), 2 * page_width, 2) << "device pixels, not logical ones";
        EXPECT_EQ(image.devicePixelRatio(), 2.0);
        EXPECT_EQ(image.pixelColor(image.width() / 2, image.height() / 2), QColor(Qt::black));
    }

    // A window made narrower draws the page again to its new width; an idle one never does.
    const int drawn = view->renders();
    const int view_width = view->width();
    preview->resize(preview->width() - 100, preview->height());
    ASSERT_TRUE(window_test::wait_for([&] { return view->width() == view_width - 100; }));
    EXPECT_NEAR(view->page_images()[0].width(), 2 * (page_width - 100), 4);
    EXPECT_EQ(view->renders(), drawn + 1);
    QTest::qWait(300);
    view->page_images();
    EXPECT_EQ(view->renders(), drawn + 1);
}

TEST_F(Preview_Window_Test, CtrlWheelZoomsWithinItsBoundsAndDrawsAgainThePlainWheelOnlyScrolls) {
    preview->show_receipt(receipt_pdf(2), form_time);
    Pdf_Page_View* view = preview->pages;
    const double fitted = view->zoom();
    const int width = view->page_images()[0].width();
    const int drawn = view->renders();

    wheel(view, 120, Qt::ControlModifier);
    EXPECT_NEAR(view->zoom(), fitted * 1.1, 0.001);
    EXPECT_NEAR(view->page_images()[0].width(), width * 1.1, 3);
    EXPECT_EQ(view->renders(), drawn + 1);

    const int scrolled = view->verticalScrollBar()->value();
    wheel(view, -120, Qt::NoModifier);
    EXPECT_GT(view->verticalScrollBar()->value(), scrolled);
    // A zoom the user chose stays when the window is resized.
    const int view_width = view->width();
    preview->resize(preview->width() + 80, preview->height());
    ASSERT_TRUE(window_test::wait_for([&] { return view->width() == view_width + 80; }));
    EXPECT_NEAR(view->zoom(), fitted * 1.1, 0.001);
    view->page_images();
    EXPECT_EQ(view->renders(), drawn + 1);

    for (int notch = 0; notch < 40; ++notch) wheel(view, 120, Qt::ControlModifier);
    EXPECT_DOUBLE_EQ(view->zoom(), 4.0);
    for (int notch = 0; notch < 80; ++notch) wheel(view, -120, Qt::ControlModifier);
    EXPECT_DOUBLE_EQ(view->zoom(), 0.25);
}

TEST_F(Preview_Window_Test, AReasonDimsThePagesALagLineSaysFromWhenTheyAreTheNextReceiptClearsBoth) {
    preview->show_receipt(receipt_pdf(1), form_time);
    QWidget* pages = preview->pages->widget();
    const QPoint white_spot(pages->width() / 2, 30);
    EXPECT_EQ(pixel_at(pages, white_spot), QColor(Qt::white));

    preview->set_reason("the date 2026-02-30 is not a real day");
    EXPECT_EQ(window_test::shown_text(*preview->reason_line), "the date 2026-02-30 is not a real day");
    EXPECT_EQ(preview->reason_line->palette().color(QPalette::WindowText), Widget_Kit::theme().error);
    EXPECT_TRUE(preview->pages->dimmed());
    EXPECT_LT(qGray(pixel_at(pages, white_spot).rgb()), 190) << "clearly greyed";

    preview->show_lagging(true);
    EXPECT_EQ(window_test::shown_text(*preview->lag_line), "This preview shows the form at 10:31:05; updating…");
    EXPECT_FALSE(preview->lag_line->isHidden());

    preview->show_receipt(receipt_pdf(1), form_time.addSecs(3));
    EXPECT_TRUE(preview->reason_line->isHidden() && preview->lag_line->isHidden());
    EXPECT_EQ(pixel_at(pages, white_spot), QColor(Qt::white));

    // A PDF poppler cannot read keeps the pages it had, dimmed under the reason, and
    // their time.
    preview->show_receipt(receipt_pdf(1).left(200), form_time.addSecs(9));
    EXPECT_EQ(window_test::shown_text(*preview->reason_line), "the preview's PDF cannot be read");
    EXPECT_TRUE(preview->pages->dimmed());
    preview->show_lagging(true);
    EXPECT_EQ(window_test::shown_text(*preview->lag_line), "This preview shows the form at 10:31:08; updating…");
}

TEST_F(Preview_Window_Test, IssuesOnTheButtonAndOnCtrlEnterOnlyWhileItMayAndSaysWhereItStands) {
    QSignalSpy issued(preview, &Preview_Window::issue_requested);
    preview->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(preview));
    preview->pages->setFocus();

    click(preview->issue_button);
    QTest::keyClick(preview->pages, Qt::Key_Return, Qt::ControlModifier);
    QTest::keyClick(preview->pages, Qt::Key_Enter, Qt::ControlModifier | Qt::KeypadModifier);
    QTest::keyClick(preview->pages, Qt::Key_Return);
    EXPECT_EQ(issued.count(), 3);

    preview->set_issue_enabled(false, "a receipt is being written");
    EXPECT_EQ(window_test::shown_tip(*preview->issue_button), "a receipt is being written");
    click(preview->issue_button);
    QTest::keyClick(preview->pages, Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(issued.count(), 3);
    preview->set_issue_enabled(true);
    EXPECT_EQ(window_test::shown_tip(*preview->issue_button), "Issue the receipt shown here (Ctrl+Enter)");

    QSignalSpy placed(preview, &Preview_Window::placed);
    preview->move(preview->pos() + QPoint(30, 20));
    ASSERT_TRUE(window_test::wait_for([&] { return !placed.isEmpty(); }));
    EXPECT_EQ(placed.last().at(0).toRect(), preview->frameGeometry());
    const qsizetype moves = placed.size();
    preview->close();
    EXPECT_EQ(placed.size(), moves + 1) << "closing says where it stood";
}
