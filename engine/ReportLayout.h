#pragma once

#include <QPageLayout>
#include <atomic>
#include <cstdint>
#include <vector>

#include "GrowingArray.h"
#include "ReportData.h"
#include "ReportDefinition.h"

// Page furniture, in millimetres: what ReportLayout makes room for and
// ReportPainter paints.
namespace ReportMm {
constexpr double kMargin = 12;
constexpr double kTitleHeight = 9;
constexpr double kParametersHeight = 9;
constexpr double kGap = 2;
constexpr double kColumnHeaderHeight = 6.5;
constexpr double kFooterHeight = 8;
constexpr double kPadding = 1;
}  // namespace ReportMm

// How a report's rows fall on pages: each group (a run of rows with the same
// GroupField value, so the query must be ordered by it) under its header and
// followed by its totals, the grand total at the end, and on every page the
// furniture (title, parameters line, column headers, footer). A group header
// never ends a page alone; a page that starts inside a group repeats its
// header. Everything is in millimetres on the report's own page layout (A4,
// landscape when the columns do not fit upright), so pages are known before
// any is painted, whatever the device.
//
// Built as the rows arrive: one thread calls LayOutNewRows after rows have
// been published in the data, and Finish at the end; meanwhile other threads
// may read every complete page (CompletePages). Nothing of a complete page
// changes afterwards.
class ReportLayout {
public:
    enum class LineKind : std::uint8_t { GroupHeader, Row, GroupTotal, GrandTotal, Empty };
    struct Line {
        std::int32_t row;
        std::int32_t group;
        LineKind kind;
    };

    // Throws Exception when a column's field or the group field is not in
    // the data's fields.
    ReportLayout(const ReportDefinition& report, const ReportData& data, bool parametersLine);

    static QPageLayout PageLayoutFor(const ReportDefinition& report);
    const QPageLayout& PageLayout() const { return pageLayout_; }

    // Writer.
    void LayOutNewRows();
    void Finish();

    // Any thread.
    bool Finished() const { return finished_.load(std::memory_order_acquire); }
    // The pages that can be painted: all of them once finished.
    int CompletePages() const;
    // The lines of complete page `page` (from 0): [first, end).
    std::pair<std::size_t, std::size_t> PageLines(int page) const;
    const Line& LineAt(std::size_t index) const { return lines_[index]; }
    // Where row `row` lies: the complete page (from 0) and the top of its
    // line, in millimetres from the top of the page's paint rect; page -1
    // while the row is not yet on a complete page.
    struct RowPlace {
        int page = -1;
        double top = 0;
    };
    RowPlace PlaceOfRow(qsizetype row) const;
    // The groups whose first row is laid out so far (0 without a group
    // field), and where group `group`'s heading lies, as PlaceOfRow says.
    int GroupCount() const;
    RowPlace PlaceOfGroup(int group) const;
    // A group's name as its heading and total line show it: its first row's
    // group field, as is.
    QString GroupName(int group) const;
    // The group a complete page starts inside of (its header repeated), or -1.
    int ContinuedGroup(int page) const { return pages_[static_cast<std::size_t>(page)].continuedGroup; }
    // The first row of a group, whose group field names it.
    qsizetype GroupRow(int group) const { return groupRows_[static_cast<std::size_t>(group)]; }
    // The total of column `column` (a Total column) over a group whose total
    // line is laid out, or over the whole report (group -1) once finished.
    long double Total(int group, int column) const;

    const std::vector<int>& FieldOfColumn() const { return fieldOf_; }
    int GroupField() const { return groupField_; }

    static double LineHeight(LineKind kind);
    double HeaderHeight() const;

private:
    struct PageStart {
        std::size_t firstLine;
        std::int32_t continuedGroup;
    };

    void MapFields(const ReportDefinition& report);
    void AddRow(qsizetype row);
    void AddToTotals(qsizetype row, std::size_t group);
    void AddLine(Line line);
    void Publish();
    RowPlace PlaceOfLine(std::size_t line) const;

    const ReportData& data_;
    QPageLayout pageLayout_;
    bool parametersLine_;
    double body_ = 0;
    std::vector<int> fieldOf_;     // result column of each report column
    std::vector<int> totalSlot_;   // slot of each Total column in a group's totals, or -1
    int groupField_ = -1;          // result column of the group field

    qsizetype laidOutRows_ = 0;
    double used_ = 0;  // on the page being filled
    GrowingArray<Line> lines_;  // these two grow with the rows: in the data's file
    GrowingArray<PageStart> pages_;
    GrowingArray<qsizetype> groupRows_;
    GrowingArray<std::size_t> rowLines_;  // the line of each row laid out
    GrowingArray<long double> groupTotals_;  // totalSlots_ per group
    std::size_t totalSlots_ = 0;
    std::vector<long double> grandTotals_;
    std::atomic<bool> finished_{false};
};
