#pragma once

#include <QString>
#include <functional>
#include <memory>

#include "Classes.h"
#include "HostExport.h"
#include "Params.h"
#include "ReportDefinition.h"
#include "ReportExport.h"

class ReportJob;

// The report component of the report screens. It runs a report definition:
// collects the query's named parameters (":P_INICIO") into TParams in the
// order they first appear, raises BeforeGetQueryParams so the screen can
// fill them, binds every value to the query by name (never pasting text into
// the SQL), runs the query on the report database and renders the rows as a
// paged report (title, the period and systems asked for, column headers,
// group totals, page numbers).
//
// BeforeGetQueryParams runs first, on the calling (GUI) thread; then the
// query and the layout run on a thread of their own, through a connection of
// their own, while the host goes on answering (ReportJob). Interactively
// Preview opens the host's preview (ReportPreview) as soon as the first page
// is laid out, and Print, once every page is, the print dialog (a PDF file,
// asked for, where there is no printer). In unattended runs
// (HostConfig::unattended) both write a PDF into HostConfig::outputDir. A
// report that takes more than a moment shows its progress, over the host,
// with Cancelar; a cancelled report raises EAbort, and nothing is written:
// PDFs go through SafeFile. Failures (no database, a query error, a file
// that cannot be written) raise Exception with a message in Portuguese.
//
// One report at a time: while one runs (the event loop turns meanwhile),
// Preview and Print return at once and Running() is true.
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
    bool Running() const { return running_; }
    // Unattended runs keep the rows of the last report previewed (until the
    // next one) for ExportLastPreview, which writes them as a new file of
    // the default name into the output folder. Throws Exception when no
    // report was previewed.
    bool HasLastPreview() const { return lastPreview_ != nullptr; }
    ReportExport::Written ExportLastPreview(ReportExport::Format format);
    // Saves a copy of `report` under `newTitle` into the user's reports
    // folder (made when missing; see ReportFolders) and gives the new
    // definition: in place of the report in `replacing` when given (an
    // installed one gets the user's copy under its name, its own file stays
    // as it was), else as a new file named by ReportDefinition::WriteNew.
    // Throws Exception for an empty title and when the folder or the file
    // cannot be written.
    ReportDefinition SaveAs(const ReportDefinition& report, const QString& newTitle,
                            const QString& replacing = QString());

    TBeforeGetQueryParams BeforeGetQueryParams;

private:
    std::unique_ptr<ReportJob> StartJob(const ReportDefinition& report) const;
    void ShowPreview(ReportJob& job, const ReportDefinition& report) const;

    bool running_ = false;
    std::shared_ptr<ReportJob> lastPreview_;
};

// What the host's scripted runs and tests observe of reports.
struct HOST_EXPORT ReportEvents {
    // Right after BeforeGetQueryParams has run, with the filled parameters.
    static std::function<void(const TParams& params)>& ParamsReady();
    // When a report action has completed: "preview", "print" or "saveas",
    // or "pdf" (saved as PDF from the preview); the report's title, its
    // number of rows (for a preview closed before every row was read, the
    // rows read by then) and the file written (PDF, or the new definition
    // for "saveas"; empty when shown on screen or printed on a printer).
    static std::function<void(const QString& action, const QString& title, int rows, const QString& file)>&
    ReportDone();
};
