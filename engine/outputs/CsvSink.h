#pragma once

#include <QByteArray>
#include <QList>

#include "HostExport.h"
#include "ReportSink.h"

class QIODevice;

// A report's rows as text for the Brazilian desktop, which LibreOffice Calc
// and Excel in pt-BR open as columns with their accents: UTF-8 with a
// byte-order mark, ';' between fields, CRLF line ends, a field quoted (RFC
// 4180, '"' doubled) when it holds ';', '"', CR or LF. The first line holds
// the columns' captions; then a line per row, without totals (a sum of the
// rows would read as one more row). Dates as dd/mm/yyyy, or dd/mm/yyyy hh:mm
// with ":ss" when the seconds are not zero; numbers without thousands
// separators, with a decimal comma; texts exactly as the query gave them,
// except that one starting with '=', '+', '-', '@', a tab or CR gets an
// apostrophe before it, so that no spreadsheet takes it for a formula.
//
// Streams into `out` (a SafeFile's device): nothing is held beyond a line.
// After a failed write it writes nothing more; whoever commits the file
// hears of the failure.
class HOST_EXPORT CsvSink : public ReportSink {
public:
    explicit CsvSink(QIODevice& out) : out_(out) {}

    void Begin(const ReportSinkStart& start) override;
    void Row(const ReportCell* cells) override;
    ReportSinkResult End() override;
    void Abort() override {}

private:
    void Field(const ExportValue& value);
    void Text(std::string_view text, bool guard);
    void EndLine();

    QIODevice& out_;
    QList<int> cellOf_;
    QList<ReportFormat> formats_;
    QByteArray line_;
    qint64 rows_ = 0;
    bool failed_ = false;
};
