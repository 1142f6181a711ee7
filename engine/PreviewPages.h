#pragma once

#include <QAbstractScrollArea>
#include <QImage>
#include <QRectF>
#include <QSizeF>
#include <functional>

#include "HostExport.h"
#include "PageCache.h"

// The pages of a report one under the other, as a reader scrolls them. A
// page is painted only when it comes into view, into a small cache of the
// pages last seen (so memory stays the same for ten pages or twenty
// thousand); more pages can be added while it is shown.
//
// Screen readers find it as "Páginas do relatório"; the preview describes it
// by the page on view ("Página 3 de 12").
//
// Keys: PgUp/PgDn the page before or after, Home/End the top or bottom of the
// page on view, Ctrl+Home/Ctrl+End the first or last page, the arrows and the
// wheel scroll, Ctrl+wheel zooms.
class HOST_EXPORT PreviewPages : public QAbstractScrollArea {
    Q_OBJECT
public:
    enum class Zoom { FitWidth, WholePage, Fixed };
    // A page (from 1) painted at `dpi`, as an image of the whole sheet.
    using PageImage = std::function<QImage(int page, int dpi)>;

    PreviewPages(QSizeF pageMm, PageImage image, QWidget* parent = nullptr);

    // The pages there are so far; `final` once that is all of them (pages
    // painted before are painted again, now with their count).
    void SetPageCount(int pages, bool final);
    int PageCount() const { return pages_; }
    // The page at the top of the view, from 1 (0 while there is none).
    int CurrentPage() const;
    void GoToPage(int page);

    // Marks `mm` (millimetres on the whole sheet) of page `page` with a
    // translucent highlight and brings it into view, turning to that page;
    // page 0 takes the highlight away.
    void Highlight(int page, const QRectF& mm);
    int HighlightedPage() const { return highlightPage_; }

    void SetZoom(Zoom zoom);
    // Fixed zoom, 1.0 being the page's real size on the screen.
    void SetScale(double scale);
    void ZoomBy(double factor);
    double Scale() const;
    Zoom ZoomMode() const { return zoom_; }
    // Pages painted since the view was made (a page taken from the cache
    // does not count).
    int PagesPainted() const { return cache_.Painted(); }

signals:
    void CurrentPageChanged(int page);
    void ScaleChanged(double scale);
    void Painted();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    double PixelsPerMm() const;
    // The resolution pages are painted at, in device pixels.
    int PageDpi() const;
    QSize PageSize() const;
    int PageStep() const { return PageSize().height() + kGap; }
    int PageTop(int page) const { return kGap + (page - 1) * PageStep(); }
    void UpdateScrollBars();
    // After a change of zoom: `page` (the one on view before it) on view.
    void Rezoomed(int page);
    const QImage& Image(int page);
    void ScrollTo(int y);
    void NoteCurrentPage();
    void Forget();

    static constexpr int kGap = 12;
    static constexpr int kCachedPages = 8;

    QSizeF pageMm_;
    PageImage image_;
    int pages_ = 0;
    bool final_ = false;
    Zoom zoom_ = Zoom::FitWidth;
    double fixedScale_ = 1.0;
    PageCache cache_{kCachedPages};
    int lastCurrent_ = 0;
    int highlightPage_ = 0;
    QRectF highlightMm_;
};
