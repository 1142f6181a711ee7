#pragma once

#include <QString>

#include "HostExport.h"
#include "Params.h"
#include "ReportData.h"
#include "ReportDefinition.h"
#include "ReportSink.h"

class QWidget;
class SafeFile;

// A finished report's data rows out as a data file: an Excel workbook
// (XlsxSink) or a semicolon-separated text (CsvSink), written on a thread of
// its own with progress over `host` ("Gerando a planilha: linha 1.234 de
// 12.345"; none where ShowProgressDialogs turned it off) and Cancelar,
// through SafeFile: Cancel or a failure leaves no file and an earlier one as
// it was. Cancel throws EAbort; a failure, Exception naming the file and the
// reason.
namespace ReportExport {

enum class Format { Xlsx, Csv };

// "xlsx" or "csv".
HOST_EXPORT QString Extension(Format format);

// What is written: the report's rows as `data` holds them, the parameters
// the report ran with, and the most data rows a sheet takes (tests give a
// few to see the rows continue on the next sheet).
struct Source {
    const ReportDefinition& report;
    const ReportData& data;
    const TParams& params;
    qint64 rowsPerSheet = 1048575;
};

// The name a file gets: the report's title and its period, the first and the
// last date parameter of the query as yyyy-mm-dd ("Limpeza de Dados -
// Detalhado 2025-03-01 a 2025-03-31.xlsx"; one date alone when there is one,
// the title alone when there is none). Characters a file name cannot hold
// ('/', '\', ':', '*', '?', '"', '<', '>', '|' and control characters) become
// '-', leading dots and spaces go, and the title is cut at 120 characters.
// `copy` above 1 adds " (copy)" before the extension.
HOST_EXPORT QString DefaultFileName(const ReportDefinition& report, const TParams& params,
                                    Format format, int copy = 1);
// The same name with any extension ("pdf" for a report's pages).
HOST_EXPORT QString DefaultFileName(const ReportDefinition& report, const TParams& params,
                                    const QString& extension, int copy = 1);

// What a window showing the report is called: the title, and the period as
// DefaultFileName takes it, shown as a person reads dates ("Limpeza de Dados
// - Detalhado - 01/03/2025 a 31/03/2025"); the title alone when the query
// has no date. The title is cut at 120 characters, ending in "…".
HOST_EXPORT QString DisplayName(const ReportDefinition& report, const TParams& params);

// The lines the Parâmetros sheet gives of the run, in order: the report's
// header line (HeaderLine) split where two or more spaces separate its parts,
// each "Label: value" a line of its own ("Período", "01/03/2025 a
// 31/03/2025"; a part without ": " under "Parâmetros"), then "Banco de
// dados": the server and database name (never a password), the file, or
// "dados de demonstração" for the sample.
HOST_EXPORT QList<QPair<QString, QString>> AboutLines(const ReportDefinition& report,
                                                      const TParams& params);

// Feeds every row of `source` to `sink`, on a thread of its own, with
// progress over `host`; then commits `file`. Aborts the sink when cancelled
// or when anything fails.
HOST_EXPORT ReportSinkResult Write(const Source& source, ReportSink& sink, SafeFile& file,
                                   QWidget* host);
// Writes `source` in `format` into `file` (XlsxSink or CsvSink).
HOST_EXPORT ReportSinkResult WriteFile(const Source& source, Format format, SafeFile& file,
                                       QWidget* host);

struct Written {
    QString file;
    Format format = Format::Xlsx;
    ReportSinkResult result;
};

// The file dialog "Exportar relatório" (the two formats; the default name in
// the home folder), then the file; EAbort when the user cancels. Tells the
// user when the rows continue on other sheets or texts were cut.
HOST_EXPORT Written AskAndWrite(const Source& source, QWidget* host);
// A new file of the default name in the host's output folder (" (2)", " (3)"
// when taken), for the scripted runs. Both tell the observers
// (ReportObservers::TellExported).
HOST_EXPORT Written WriteToOutputFolder(const Source& source, Format format);

}  // namespace ReportExport
