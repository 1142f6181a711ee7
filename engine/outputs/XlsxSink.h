#pragma once

#include <QList>
#include <QString>
#include <string>
#include <vector>

#include "HostExport.h"
#include "ReportSink.h"

struct lxw_workbook;
struct lxw_worksheet;
struct lxw_format;

// A report's rows as an Excel workbook (libxlsxwriter, in its constant-memory
// mode: each row goes to a temporary file as it comes, so the workbook is
// never held in memory). Sheet "Dados": the columns' captions in bold, the
// first row frozen, an autofilter over the rows, columns as wide as their
// widest value (up to 80 characters); then a row per report row, typed:
// dates as date cells (dd/mm/yyyy, and hh:mm where the value has a time; the
// seconds are kept in the value), numbers as numbers (whole ones beyond
// 2^53, which a spreadsheet's numbers cannot hold exactly, as text), texts as
// text cells, which a spreadsheet never reads as a formula whatever they
// begin with. A text longer than a cell holds (32,767 characters) is cut to
// it, ending in "…", and counted; bytes that are no UTF-8 and control
// characters, which the file format cannot carry, become U+FFFD.
//
// Under the rows, the totals of the columns with Total, as SUBTOTAL(9, ...)
// formulas (with their value), so that they follow the autofilter. More rows
// than `rowsPerSheet` continue on "Dados (2)", "Dados (3)", ..., each with
// its header, and the totals, after the last row, sum the rows of every
// sheet (on a sheet of their own when the last one is full).
//
// Then the sheet "Parâmetros": what describes the run (ReportSinkStart's
// `about`), the number of rows and of data sheets, the texts cut, when and by
// whom it was made.
//
// Written by name into `path` (a SafeFile's PathForWriter) when End closes
// the workbook; End throws Exception naming `shown` and the reason when it
// cannot be written. Abort frees everything, writing nothing.
class HOST_EXPORT XlsxSink : public ReportSink {
public:
    // Data rows a sheet holds: its 1,048,576 rows less the header.
    static constexpr qint64 kSheetRows = 1048575;

    XlsxSink(QString path, QString shown, qint64 rowsPerSheet = kSheetRows);
    ~XlsxSink() override;
    XlsxSink(const XlsxSink&) = delete;
    XlsxSink& operator=(const XlsxSink&) = delete;

    void Begin(const ReportSinkStart& start) override;
    void Row(const ReportCell* cells) override;
    ReportSinkResult End() override;
    void Abort() override;

private:
    struct Sheet {
        QString name;
        lxw_worksheet* sheet = nullptr;
        qint64 rows = 0;
    };
    struct Column {
        ReportFormat format = ReportFormat::AsIs;
        bool total = false;
        int cell = 0;
        int width = 0;  // characters
        double sum = 0;
        lxw_format* number = nullptr;
    };

    void NewSheet();
    void Write(int column, const ExportValue& value);
    void WriteText(int column, std::string_view text);
    void WriteTotals();
    void FinishSheets();
    void WriteAbout();
    [[noreturn]] void Fail(const QString& reason);

    QString path_;
    QString shown_;
    qint64 rowsPerSheet_;
    ReportSinkStart start_;
    lxw_workbook* book_ = nullptr;
    lxw_format* bold_ = nullptr;
    lxw_format* date_ = nullptr;
    lxw_format* dateTime_ = nullptr;
    std::vector<Column> columns_;
    std::vector<Sheet> sheets_;
    std::string text_;  // the text cell being written, made fit
    qint64 rows_ = 0;
    qint64 cut_ = 0;
};
