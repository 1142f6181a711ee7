#pragma once

#include <QString>
#include <functional>

#include "Classes.h"
#include "HostExport.h"
#include "Params.h"
#include "ReportDefinition.h"

// The report component of the report screens. It runs a report definition:
// collects the query's named parameters (":P_INICIO") into TParams in the
// order they first appear, raises BeforeGetQueryParams so the screen can
// fill them, binds every value to the query by name (never pasting text into
// the SQL), runs the query on the report database and renders the rows as a
// paged report (title, the period and systems asked for, column headers,
// group totals, page numbers).
//
// Interactively Preview shows Qt's print preview and Print the print dialog
// (a PDF file, asked for, where there is no printer). In unattended runs
// (HostConfig::unattended) both write a new PDF into HostConfig::outputDir.
// A PDF is written through SafeFile: complete or not at all.
// A report that takes more than a moment shows progress and can be
// cancelled. Failures (no database, a query error) raise Exception with a
// message in Portuguese; a cancelled report raises EAbort.
class HOST_EXPORT TReportDesignerDialog : public TComponent {
    Q_OBJECT
public:
    // Raised with the query's parameters (type unknown, no value) before the
    // query runs; called directly, not through Dispatch, so an exception the
    // handler throws stops the report and reaches the caller. Flag starts
    // false; the component does not read it back.
    using TBeforeGetQueryParams = std::function<void(TParams& Params, bool& Flag)>;

    explicit TReportDesignerDialog(QObject* owner = nullptr);

    void Preview(const ReportDefinition& report);
    void Print(const ReportDefinition& report);
    // Saves a copy of `report` under `newTitle` and gives the new definition:
    // over the file `replacing` when given, else as a new file in the same
    // folder (or the reports folder when it came from no file), named by
    // ReportDefinition::WriteNew. Throws Exception for an empty title and
    // when the file cannot be written.
    ReportDefinition SaveAs(const ReportDefinition& report, const QString& newTitle,
                            const QString& replacing = QString());

    TBeforeGetQueryParams BeforeGetQueryParams;
};

// What the host's scripted runs and tests observe of reports.
struct HOST_EXPORT ReportEvents {
    // Right after BeforeGetQueryParams has run, with the filled parameters.
    static std::function<void(const TParams& params)>& ParamsReady();
    // When a report action has completed: "preview", "print" or "saveas",
    // the report's title, its number of rows and the file written (PDF, or
    // the new definition for "saveas"; empty when shown on screen).
    static std::function<void(const QString& action, const QString& title, int rows, const QString& file)>&
    ReportDone();
};
