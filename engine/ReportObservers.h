#pragma once

#include <QString>

#include "HostExport.h"
#include "Params.h"

// Someone told of what reports do: the host application's scripted runs
// (their events) and tests. Whoever registers an observer owns it and
// removes it before it goes (its destructor does so too). Observers are told
// on the GUI thread, in the order they were added; one that throws stops
// the report like any other failure.
class HOST_EXPORT ReportObserver {
public:
    ReportObserver() = default;
    virtual ~ReportObserver();
    ReportObserver(const ReportObserver&) = delete;
    ReportObserver& operator=(const ReportObserver&) = delete;

    // Right after the screen's BeforeGetQueryParams has run, with the
    // filled parameters.
    virtual void ParamsReady(const TParams& params);
    // When a report action has completed: "preview", "print" or "saveas",
    // or "pdf" (saved as PDF from the preview); the report's title, its
    // number of rows (for a preview closed before every row was read, the
    // rows read by then) and the file written (PDF, or the new definition
    // for "saveas"; empty when shown on screen or printed on a printer).
    virtual void ReportDone(const QString& action, const QString& title, int rows,
                            const QString& file);
    // When the rows of a report were exported: the action ("xlsx" or
    // "csv"), the report's title, its rows, the file and its data sheets (0
    // for CSV).
    virtual void Exported(const QString& action, const QString& title, qint64 rows,
                          const QString& file, int sheets);
};

// The report actions observers are told of, as the scripts' events name them
// (ReportExport names its own: "xlsx", "csv").
namespace ReportActions {
inline QString Preview() { return QStringLiteral("preview"); }
inline QString Print() { return QStringLiteral("print"); }
inline QString SavedPdf() { return QStringLiteral("pdf"); }
inline QString SaveAs() { return QStringLiteral("saveas"); }
}  // namespace ReportActions

// The observers registered, and what tells them.
namespace ReportObservers {

// Adding one twice, or removing one not added, changes nothing.
HOST_EXPORT void Add(ReportObserver* observer);
HOST_EXPORT void Remove(ReportObserver* observer);

HOST_EXPORT void TellParamsReady(const TParams& params);
HOST_EXPORT void TellReportDone(const QString& action, const QString& title, qsizetype rows,
                                const QString& file);
HOST_EXPORT void TellExported(const QString& action, const QString& title, qint64 rows,
                              const QString& file, int sheets);

}  // namespace ReportObservers
