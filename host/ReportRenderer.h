#pragma once

#include <QImage>
#include <QPageLayout>
#include <QString>
#include <QVariant>
#include <functional>
#include <vector>

#include "HostExport.h"
#include "Params.h"
#include "ReportDefinition.h"
#include "ReportQuery.h"

class QPagedPaintDevice;
class QPainter;

// A cell's text as the column's format shows it: dates as dd/mm/yyyy,
// numbers with Brazilian separators (1.234 and 1.234,56).
HOST_EXPORT QString FormatReportValue(const QVariant& value, const QString& format);

// Lays a query's rows out on pages and paints them: on every page the title,
// the header line (FillHeaderLine; none when empty), the column headers and
// "Página N de M"; then the rows, each group (a run of rows with the same
// GroupField value, so the query must be ordered by it) under its header and
// followed by its totals, and the grand total at the end. Layout is in
// millimetres, so the page count is known before the first page is painted,
// whatever the device.
class HOST_EXPORT ReportRenderer {
public:
    // Throws Exception when a column's field or the group field is not in
    // the query's result.
    ReportRenderer(const ReportDefinition& report, const ReportData& data, QString parametersLine);

    // A4 with 12 mm margins; landscape when the columns do not fit upright.
    QPageLayout PageLayout() const;
    // The number of pages on paper of that layout.
    int PageCount(const QPageLayout& layout) const;
    // Paints every page on `device`, laid out for the device's own page
    // layout. `progress` gets each page's number before it is painted and may
    // throw (EAbort) to stop. Throws Exception when painting cannot start.
    void Render(QPagedPaintDevice& device,
                const std::function<void(int page, int pages)>& progress = {}) const;
    // Page `number` (from 1) alone, as an image of the whole sheet of
    // `layout` at `dpi` on white: a page can be shown before the others are
    // painted (and the benchmarks time the first page with it). Throws
    // Exception for a page the report does not have.
    QImage PageImage(const QPageLayout& layout, int number, int dpi = 96) const;

private:
    enum class LineKind { GroupHeader, Row, GroupTotal, GrandTotal, Empty };
    struct Line {
        LineKind kind = LineKind::Empty;
        int row = -1;
        int group = -1;
    };
    struct Page {
        std::vector<int> lines;
        int continuedGroup = -1;  // a group carried over from the page before
    };
    struct Group {
        QString value;
        std::vector<double> totals;
    };

    void MapFields();
    void BuildLines();
    void AddToTotals(int row, std::vector<double>& totals) const;
    std::vector<Page> Paginate(const QPageLayout& layout) const;
    double HeaderHeight() const;
    static double LineHeight(LineKind kind);

    class Painter;

    ReportDefinition report_;
    ReportData data_;
    QString parametersLine_;
    std::vector<int> fieldOf_;  // result column of each report column
    int groupOf_ = -1;          // result column of the group field
    std::vector<Line> lines_;
    std::vector<Group> groups_;
    std::vector<double> grandTotals_;
};
