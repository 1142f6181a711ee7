#pragma once

#include <QString>
#include <functional>

#include "Classes.h"
#include "HostExport.h"
#include "Params.h"
#include "ReportDefinition.h"
#include "ReportExport.h"
#include "ReportRunner.h"

// The report component of the report screens (the screens' definitions name
// it, with its event BeforeGetQueryParams): it runs a report definition
// through a ReportRunner of its own. BeforeGetQueryParams runs first, on
// the calling (GUI) thread, and fills the query's parameters. Preview and
// Print run into the outputs ReportOutputChoice gives: for people, the
// host's preview (ReportPreview), opened as soon as the first page is laid
// out, and the print dialog once every page is (a PDF file, asked for,
// where there is no printer). The host application's scripted runs install
// PDF files in their output folder instead.
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
    bool Running() const { return runner_.Running(); }
    // The rows of the last report previewed into an output that keeps them
    // (the scripted runs' PDF), for the scripts' export: written as a new
    // file of the default name into the output folder. Throws Exception when
    // no report was previewed so.
    bool HasLastPreview() const { return runner_.HasKeptRows(); }
    ReportExport::Written ExportLastPreview(ReportExport::Format format) const;
    // ReportRunner::SaveAs.
    ReportDefinition SaveAs(const ReportDefinition& report, const QString& newTitle,
                            const QString& replacing = QString());

    TBeforeGetQueryParams BeforeGetQueryParams;

private:
    ReportRunner::FillParams Fill() const;

    ReportRunner runner_;
};
