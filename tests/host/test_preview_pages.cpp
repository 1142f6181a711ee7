// The preview's pages as a reader scrolls them: painted only when they come
// into view, kept in a small cache, whatever the report's length.
#include <gtest/gtest.h>

#include <QApplication>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>

#include "PreviewPages.h"

namespace {

class PreviewPagesTest : public ::testing::Test {
protected:
    PreviewPagesTest()
        : pages_(QSizeF(210, 297), [this](int page, int dpi) {
              asked_ << page;
              QImage image(qRound(210 * dpi / 25.4), qRound(297 * dpi / 25.4), QImage::Format_RGB32);
              image.fill(Qt::white);
              return image;
          }) {
        pages_.resize(800, 600);
        pages_.SetPageCount(20000, true);
        pages_.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&pages_));
        Paint();
    }

    void Paint() {
        pages_.viewport()->repaint();
        QApplication::processEvents();
    }
    void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
        QTest::keyClick(&pages_, key, modifiers);
        Paint();
    }

    QList<int> asked_;
    PreviewPages pages_;
};

// Twenty thousand pages: the first paint asks only for what is on view.
TEST_F(PreviewPagesTest, PaintsOnlyThePagesInView) {
    EXPECT_FALSE(asked_.isEmpty());
    EXPECT_LE(asked_.size(), 2) << "pages painted at the start";
    Press(Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(pages_.CurrentPage(), 20000);
    EXPECT_LE(asked_.size(), 4);
    EXPECT_TRUE(asked_.contains(20000));
}

// Back and forth over a few pages costs no painting; going far and coming
// back paints the first page again, for the cache keeps only a few.
TEST_F(PreviewPagesTest, KeepsAFewPagesOnly) {
    Press(Qt::Key_PageDown);
    Press(Qt::Key_PageUp);
    const qsizetype nearby = asked_.size();
    Press(Qt::Key_PageDown);
    Press(Qt::Key_PageUp);
    EXPECT_EQ(asked_.size(), nearby) << "pages seen just before come from the cache";
    for (int i = 0; i < 30; ++i) Press(Qt::Key_PageDown);
    Press(Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(asked_.count(1), 2) << "page 1 painted again after thirty others";
}

// Ctrl+wheel zooms about the page on view; a plain wheel scrolls.
TEST_F(PreviewPagesTest, ControlWheelZoomsAndTheWheelScrolls) {
    pages_.GoToPage(50);
    Paint();
    const double fitWidth = pages_.Scale();
    QWheelEvent zoomIn(QPointF(100, 100), pages_.mapToGlobal(QPointF(100, 100)), {}, QPoint(0, 120),
                       Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(pages_.viewport(), &zoomIn);
    EXPECT_NEAR(pages_.Scale(), fitWidth * 1.25, 0.01);
    EXPECT_EQ(pages_.ZoomMode(), PreviewPages::Zoom::Fixed);
    EXPECT_EQ(pages_.CurrentPage(), 50);
    QWheelEvent scroll(QPointF(100, 100), pages_.mapToGlobal(QPointF(100, 100)), {}, QPoint(0, -360),
                       Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    const int before = pages_.verticalScrollBar()->value();
    QApplication::sendEvent(pages_.viewport(), &scroll);
    EXPECT_NEAR(pages_.Scale(), fitWidth * 1.25, 0.01);
    EXPECT_GT(pages_.verticalScrollBar()->value(), before);
    pages_.SetZoom(PreviewPages::Zoom::WholePage);
    EXPECT_LT(pages_.Scale(), fitWidth) << "a whole page is smaller than the page's width";
}

// Every zoom shows the page exactly as it was painted: a sheet of one-pixel
// squares, black and white in turn, stays so on the screen. Stretching the
// painted page to the zoom's size instead (by the few pixels a whole number
// of dots an inch leaves) doubles or drops lines of pixels, which cut rows
// of text in half and garble the figures of an hour. Fitted to the window's
// width, the page fits it still: no horizontal scroll bar.
struct ZoomCase {
    const char* name;
    PreviewPages::Zoom zoom;
    double scale;  // for a fixed zoom
    QSize window;
};

void PrintTo(const ZoomCase& zoom, std::ostream* out) { *out << zoom.name; }

class PreviewZoomTest : public ::testing::TestWithParam<ZoomCase> {};

TEST_P(PreviewZoomTest, ThePageIsShownPixelForPixel) {
    const ZoomCase& zoom = GetParam();
    PreviewPages pages(QSizeF(210, 297), [](int /*page*/, int dpi) {
        QImage image(qRound(210 * dpi / 25.4), qRound(297 * dpi / 25.4), QImage::Format_RGB32);
        for (int y = 0; y < image.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x) line[x] = (x + y) % 2 ? qRgb(0, 0, 0) : qRgb(255, 255, 255);
        }
        return image;
    });
    pages.resize(zoom.window);
    pages.SetPageCount(3, true);
    pages.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&pages));
    if (zoom.zoom == PreviewPages::Zoom::Fixed) pages.SetScale(zoom.scale);
    else pages.SetZoom(zoom.zoom);
    QApplication::processEvents();
    const QImage shown = pages.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    // A patch near the top of the first sheet, in the middle across.
    const QRect patch(shown.width() / 2 - 20, 20, 40, 40);
    int doubled = 0;
    for (int y = patch.top(); y < patch.bottom(); ++y)
        for (int x = patch.left(); x < patch.right(); ++x)
            doubled += (shown.pixel(x, y) == shown.pixel(x + 1, y)) + (shown.pixel(x, y) == shown.pixel(x, y + 1));
    EXPECT_EQ(doubled, 0) << "lines of pixels doubled or dropped at " << qRound(pages.Scale() * 100) << "%";
    if (zoom.zoom == PreviewPages::Zoom::FitWidth) {
        EXPECT_EQ(pages.horizontalScrollBar()->maximum(), 0) << "the page is wider than the window it fits";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Zooms, PreviewZoomTest,
    ::testing::Values(ZoomCase{"WholePage", PreviewPages::Zoom::WholePage, 0, QSize(900, 700)},
                      ZoomCase{"WholePageTall", PreviewPages::Zoom::WholePage, 0, QSize(700, 1000)},
                      ZoomCase{"Fixed87", PreviewPages::Zoom::Fixed, 0.87, QSize(900, 700)},
                      ZoomCase{"Fixed69", PreviewPages::Zoom::Fixed, 0.69, QSize(900, 700)},
                      ZoomCase{"Fixed55", PreviewPages::Zoom::Fixed, 0.55, QSize(900, 700)},
                      ZoomCase{"Fixed44", PreviewPages::Zoom::Fixed, 0.44, QSize(900, 700)},
                      ZoomCase{"FitWidthNarrow", PreviewPages::Zoom::FitWidth, 0, QSize(380, 700)},
                      ZoomCase{"FitWidthOdd", PreviewPages::Zoom::FitWidth, 0, QSize(517, 600)},
                      ZoomCase{"FitWidthWide", PreviewPages::Zoom::FitWidth, 0, QSize(1283, 800)},
                      ZoomCase{"FitWidth600", PreviewPages::Zoom::FitWidth, 0, QSize(600, 800)}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
