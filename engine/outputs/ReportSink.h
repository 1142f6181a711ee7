#pragma once

#include <QDateTime>
#include <QList>
#include <QPair>
#include <QString>
#include <cstdint>
#include <string_view>

#include "HostExport.h"
#include "ReportData.h"
#include "ReportDefinition.h"
#include "ReportRenderer.h"

// What a sink is told before the first row: the report's definition (title,
// columns with their captions and formats), where each column's value is in
// a row's cells, and the lines that describe the run ("Período",
// "01/03/2025 a 31/03/2025"), in order, for a sink that has room for them.
struct HOST_EXPORT ReportSinkStart {
    ReportDefinition report;
    QList<int> cellOf;  // per column of `report`, its index in a row's cells
    QList<QPair<QString, QString>> about;
    QDateTime made;  // when the export began, local time
    QString user;    // who made it (the system's user name)

    // Throws Exception naming a column whose field the query does not give.
    static ReportSinkStart For(const ReportDefinition& report, const QStringList& fields);
};

// What a sink wrote: its data rows, and for a spreadsheet its data sheets
// and the texts it had to cut to a cell's limit.
struct ReportSinkResult {
    qint64 rows = 0;
    int sheets = 0;
    qint64 cutCells = 0;
};

// Where a report's data rows go, one after another in the report's order:
// Begin once, Row for each row (its cells in the query's column order), then
// End, or Abort when the export stops (Cancel, a failure) and nothing it made
// may remain. The rows reach a sink exactly as the query gave them; a sink
// decides how each value is written.
class HOST_EXPORT ReportSink {
public:
    virtual ~ReportSink() = default;
    virtual void Begin(const ReportSinkStart& start) = 0;
    virtual void Row(const ReportCell* cells) = 0;
    // Throws Exception, naming the file and the reason, when the output
    // cannot be completed.
    virtual ReportSinkResult End() = 0;
    virtual void Abort() = 0;
};

// A cell as a data file holds it, by the column's format: a date or date and
// time where the column is a date and the text one ('yyyy-mm-dd[ hh:mm[:ss]]'),
// a number where the database gave one or a number column's text is one,
// else the text (or nothing).
struct HOST_EXPORT ExportValue {
    enum class Kind { Empty, Integer, Real, Date, Text };
    Kind kind = Kind::Empty;
    std::int64_t integer = 0;
    double real = 0;
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    bool hasTime = false;
    std::string_view text;

    static ExportValue Of(const ReportCell& cell, ReportFormat format);
};
