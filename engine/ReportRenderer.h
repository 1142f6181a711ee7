#pragma once

#include <QImage>
#include <QPageLayout>
#include <QRectF>
#include <QString>
#include <QVariant>
#include <atomic>
#include <functional>
#include <memory>

#include "HostExport.h"
#include "Params.h"
#include "ReportData.h"
#include "ReportDefinition.h"
#include "ReportFormat.h"
#include "ReportLayout.h"

class PageComposer;
class QPagedPaintDevice;
class QPainter;

// A report laid out on pages and painted page by page, on any device: on
// every page the title, the header line (FillHeaderLine; none when empty),
// the column headers and "Página N de M" (with a notice, that notice on the
// title's line, at the right); then the rows by group with their
// totals (ReportLayout).
//
// Built either from all the rows at once, or empty and filled as the rows
// arrive: one thread adds rows to Data(), calls LayOutNewRows() after
// publishing them and Finish() at the end, while other threads paint the
// complete pages. A page painted before the page count is known says
// "Página N de …".
class HOST_EXPORT ReportRenderer {
public:
    // All at once. Throws Exception when a column's field or the group field
    // is not in the query's result.
    ReportRenderer(const ReportDefinition& report, ReportData data, QString headerLine,
                   QString notice = {});
    // To be filled: the layout starts once the data has its fields
    // (StartLayout, which throws as above).
    ReportRenderer(const ReportDefinition& report, QString headerLine, QString notice = {});
    ~ReportRenderer();

    ReportData& Data() { return data_; }
    const ReportData& Data() const { return data_; }
    void StartLayout();
    void LayOutNewRows();
    void Finish();

    // A4 with 12 mm margins; landscape when the columns do not fit upright.
    QPageLayout PageLayout() const;
    // The pages that can be painted so far; all of them once finished.
    int PageCount() const;
    bool Finished() const;
    qsizetype RowCount() const { return data_.RowCount(); }

    // Paints pages `first` to `last` (from 1, complete pages only) on
    // `device`, scaled to the device's page when its paper differs. Before
    // each page `progress` gets its number and may throw (EAbort) to stop.
    // Throws Exception when painting cannot start or end.
    void Render(QPagedPaintDevice& device, int first, int last,
                const std::function<void(int page)>& progress = {}) const;
    // Every page, once finished.
    void Render(QPagedPaintDevice& device, const std::function<void(int page, int pages)>& progress = {}) const;
    // Page `number` (from 1) alone, as an image of the whole sheet at `dpi`
    // on white. Throws Exception for a page that is not complete.
    QImage PageImage(int number, int dpi = 96) const;
    // What makes the complete pages' drawing commands (for an output that
    // draws them itself, as the PDF writer does); one for each thread, used
    // while this renderer lives.
    PageComposer Composer() const;

    // Where row `row` (of Data()) shows: its page (from 1; 0 while the row
    // is on no complete page) and its line across the page, in millimetres
    // on the whole sheet.
    struct RowPlace {
        int page = 0;
        QRectF mm;
    };
    RowPlace PlaceOfRow(qsizetype row) const;

    // The groups whose first row is laid out so far, in the report's order (0
    // for a report without a group field).
    int GroupCount() const;
    // Group `group`'s name as its heading shows it, cut as a page cuts it.
    QString GroupName(int group) const;
    // Where group `group`'s heading shows, as PlaceOfRow says: page 0 while
    // it is on no complete page.
    RowPlace PlaceOfGroup(int group) const;

private:
    void CheckPage(int number) const;
    RowPlace OnSheet(const ReportLayout::RowPlace& place, ReportLayout::LineKind kind) const;

    ReportDefinition report_;
    ReportData data_;
    QString parametersLine_;
    QString notice_;
    std::unique_ptr<ReportLayout> layout_;
    std::atomic<const ReportLayout*> started_{nullptr};  // layout_, once readers may see it
};
