#include "PreviewOutput.h"

#include "Forms.h"
#include "ReportJob.h"
#include "ReportObservers.h"
#include "ReportPreview.h"
#include "ReportWait.h"

QString PreviewOutput::Take(ReportJob& job, QWidget* host) {
    const ReportDefinition& report = job.Report();
    ReportPreview* shown = nullptr;
    const auto tell = [&](const QString& action, const QString& file) {
        ReportObservers::TellReportDone(action, report.title, job.Rows(), file);
    };
    const ReportPreview::Actions actions{
        [&](int page) { tell(ReportActions::Print(), PrinterOutput(page).Take(job, shown)); },
        [&](int page) { tell(ReportActions::SavedPdf(), AskedPdfOutput(page).Take(job, shown)); },
        [&] { AskedDataOutput().Take(job, shown); }};
    ReportPreview preview(job, report, actions, host);
    shown = &preview;
    Application->ExecModal(preview);
    job.Worker().Cancel();
    if (preview.JobFailed()) job.Worker().Rethrow();
    LetWorkerGo(job.Worker());
    return {};
}
