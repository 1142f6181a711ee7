#include "PreviewPages.h"

#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

namespace {

constexpr double kLeastScale = 0.1;
constexpr double kMostScale = 4.0;

}  // namespace

PreviewPages::PreviewPages(QSizeF pageMm, PageImage image, QWidget* parent)
    : QAbstractScrollArea(parent), pageMm_(pageMm), image_(std::move(image)) {
    setFocusPolicy(Qt::StrongFocus);
    setAccessibleName(QStringLiteral("Páginas do relatório"));
    viewport()->setBackgroundRole(QPalette::Dark);
    viewport()->setAutoFillBackground(true);
}

void PreviewPages::SetPageCount(int pages, bool final) {
    if (final && !final_) Forget();
    pages_ = pages;
    final_ = final;
    UpdateScrollBars();
    viewport()->update();
    NoteCurrentPage();
}

void PreviewPages::NoteCurrentPage() {
    const int current = CurrentPage();
    if (current == lastCurrent_) return;
    lastCurrent_ = current;
    emit CurrentPageChanged(current);
}

// The fitted zooms keep within the fixed zoom's bounds too: a window across
// several screens would otherwise ask for pages of hundreds of megabytes,
// and one shrunk to nothing for pages of no pixel.
double PreviewPages::PixelsPerMm() const {
    const double real = logicalDpiX() / 25.4;
    const double fitWidth = std::max(1, viewport()->width() - 2 * kGap) / pageMm_.width();
    double fitted = fitWidth;
    switch (zoom_) {
        case Zoom::FitWidth:
            break;
        case Zoom::WholePage:
            fitted = std::min(fitWidth, std::max(1, viewport()->height() - 2 * kGap) / pageMm_.height());
            break;
        case Zoom::Fixed:
            return real * fixedScale_;
    }
    return std::clamp(fitted, real * kLeastScale, real * kMostScale);
}

// A page is painted at a whole number of dots an inch; the zoom is rounded
// to it, so that the sheet on the screen is the painted image itself, pixel
// for pixel. Stretching the image by the few pixels the rounding leaves
// would drop or double lines of pixels: half a row gone at a reduced zoom,
// a digit's strokes dropped ("1:.55") at a narrow width. A fitted zoom is
// rounded down, so that the page still fits its window.
int PreviewPages::PageDpi() const {
    const double real = logicalDpiX() * devicePixelRatioF();
    const double dpi = PixelsPerMm() * 25.4 * devicePixelRatioF();
    const int rounded = zoom_ == Zoom::Fixed ? qRound(dpi) : static_cast<int>(std::floor(dpi));
    return std::clamp(rounded, std::max(1, static_cast<int>(std::ceil(real * kLeastScale))),
                      std::max(1, static_cast<int>(std::floor(real * kMostScale))));
}

double PreviewPages::Scale() const { return PageDpi() / devicePixelRatioF() / logicalDpiX(); }

QSize PreviewPages::PageSize() const {
    const double perMm = PageDpi() / devicePixelRatioF() / 25.4;
    return {std::max(1, qRound(pageMm_.width() * perMm)), std::max(1, qRound(pageMm_.height() * perMm))};
}

void PreviewPages::UpdateScrollBars() {
    const QSize page = PageSize();
    const int height = kGap + pages_ * PageStep();
    verticalScrollBar()->setRange(0, std::max(0, height - viewport()->height()));
    verticalScrollBar()->setPageStep(viewport()->height());
    verticalScrollBar()->setSingleStep(std::max(1, page.height() / 20));
    horizontalScrollBar()->setRange(0, std::max(0, page.width() + 2 * kGap - viewport()->width()));
    horizontalScrollBar()->setPageStep(viewport()->width());
    horizontalScrollBar()->setSingleStep(std::max(1, page.width() / 20));
}

// At the very end of the document the last page is the current one, though
// pages before it may show above it.
int PreviewPages::CurrentPage() const {
    if (pages_ == 0) return 0;
    const QScrollBar* bar = verticalScrollBar();
    if (bar->value() == bar->maximum() && bar->maximum() > 0 && final_) return pages_;
    const int probe = verticalScrollBar()->value() + std::min(viewport()->height(), PageStep()) / 3;
    return std::clamp(probe / PageStep() + 1, 1, pages_);
}

void PreviewPages::GoToPage(int page) {
    if (pages_ == 0) return;
    ScrollTo(PageTop(std::clamp(page, 1, pages_)) - kGap / 2);
}

// The page's top stays in view when the line fits below it; a line lower on
// the page comes a third of the way down the view.
void PreviewPages::Highlight(int page, const QRectF& mm) {
    highlightPage_ = page >= 1 && page <= pages_ ? page : 0;
    highlightMm_ = mm;
    viewport()->update();
    if (highlightPage_ == 0) return;
    const double perMm = PageSize().height() / pageMm_.height();
    const int top = PageTop(page) - kGap / 2;
    const int bottom = PageTop(page) + qRound(mm.bottom() * perMm);
    if (bottom <= top + viewport()->height())
        GoToPage(page);
    else
        ScrollTo(PageTop(page) + qRound(mm.top() * perMm) - viewport()->height() / 3);
}

void PreviewPages::ScrollTo(int y) { verticalScrollBar()->setValue(y); }

void PreviewPages::SetZoom(Zoom zoom) {
    const int page = CurrentPage();
    zoom_ = zoom;
    Rezoomed(page);
}

// The page on view is taken before the scale changes: after, the scroll
// position would be read at the new scale.
void PreviewPages::SetScale(double scale) {
    const int page = CurrentPage();
    fixedScale_ = std::clamp(scale, kLeastScale, kMostScale);
    zoom_ = Zoom::Fixed;
    Rezoomed(page);
}

void PreviewPages::Rezoomed(int page) {
    Forget();
    UpdateScrollBars();
    GoToPage(page);
    emit ScaleChanged(Scale());
}

void PreviewPages::ZoomBy(double factor) { SetScale(Scale() * factor); }

void PreviewPages::Forget() {
    cache_.Clear();
    viewport()->update();
}

const QImage& PreviewPages::Image(int page) {
    return cache_.Image(page, [&] {
        QImage image = image_(page, PageDpi());
        image.setDevicePixelRatio(devicePixelRatioF());
        return image;
    });
}

void PreviewPages::paintEvent(QPaintEvent* /*event*/) {
    if (pages_ == 0) return;
    QPainter painter(viewport());
    const QSize page = PageSize();
    const int top = verticalScrollBar()->value();
    const int left = page.width() + 2 * kGap <= viewport()->width() ? (viewport()->width() - page.width()) / 2
                                                                     : kGap - horizontalScrollBar()->value();
    const int first = std::max(1, (top - kGap) / PageStep() + 1);
    bool any = false;
    for (int n = first; n <= pages_; ++n) {
        const int y = PageTop(n) - top;
        if (y >= viewport()->height()) break;
        const QRect sheet(left, y, page.width(), page.height());
        painter.fillRect(sheet.translated(3, 3), palette().shadow());
        // Unscaled (see PageDpi); the sheet's size may differ from the
        // image's by the rounding of a pixel, in the margin.
        painter.drawImage(sheet.topLeft(), Image(n));
        if (n == highlightPage_) {
            const double perMm = page.width() / pageMm_.width();
            QColor mark = palette().color(QPalette::Highlight);
            mark.setAlpha(80);
            painter.fillRect(QRectF(sheet.left() + highlightMm_.left() * perMm, sheet.top() + highlightMm_.top() * perMm,
                                    highlightMm_.width() * perMm, highlightMm_.height() * perMm),
                             mark);
        }
        any = true;
    }
    if (any) emit Painted();
}

void PreviewPages::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    if (zoom_ != Zoom::Fixed) {
        // The page on view before: read now, the old scroll position would
        // be taken at the new page size (showing the side panel turned a
        // fitted view pages away).
        const int page = lastCurrent_;
        Forget();
        UpdateScrollBars();
        GoToPage(page);
        emit ScaleChanged(Scale());
    } else {
        UpdateScrollBars();
    }
}

void PreviewPages::scrollContentsBy(int /*dx*/, int /*dy*/) {
    viewport()->update();
    NoteCurrentPage();
}

void PreviewPages::keyPressEvent(QKeyEvent* event) {
    const bool control = event->modifiers() & Qt::ControlModifier;
    const int page = CurrentPage();
    switch (event->key()) {
        case Qt::Key_PageDown:
            return GoToPage(page + 1);
        case Qt::Key_PageUp:
            return GoToPage(page - 1);
        case Qt::Key_Home:
            return control ? GoToPage(1) : ScrollTo(PageTop(page) - kGap / 2);
        case Qt::Key_End:
            return control ? GoToPage(pages_)
                           : ScrollTo(PageTop(page) + PageSize().height() + kGap / 2 - viewport()->height());
        default:
            QAbstractScrollArea::keyPressEvent(event);
    }
}

void PreviewPages::wheelEvent(QWheelEvent* event) {
    if (!(event->modifiers() & Qt::ControlModifier)) return QAbstractScrollArea::wheelEvent(event);
    const int steps = event->angleDelta().y() / 120;
    if (steps != 0) ZoomBy(std::pow(1.25, steps));
    event->accept();
}
