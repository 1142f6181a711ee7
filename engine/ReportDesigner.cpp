#include "ReportDesigner.h"

#include <QApplication>
#include <QMdiArea>
#include <QPrinterInfo>

#include "ClassRegistry.h"
#include "Forms.h"
#include "HostConfig.h"
#include "ReportDatabase.h"
#include "ReportFolders.h"
#include "ReportHeader.h"
#include "ReportJob.h"
#include "ReportOutput.h"
#include "ReportPreview.h"
#include "ReportProgressDialog.h"
#include "ReportWait.h"
#include "SysUtils.h"

namespace {

// The window the report's dialogs appear over.
QWidget* HostWindow() {
    if (QWidget* active = QApplication::activeWindow()) return active;
    QMdiArea* area = Application->MdiArea();
    return area ? area->window() : nullptr;
}

std::unique_ptr<ReportProgressDialog> ProgressFor(const ReportDefinition& report) {
    return ProgressDialogFor(report.title, HostWindow());
}

WaitStatus ReadingStatus(const ReportJob& job) {
    if (job.WaitingForDatabase()) return {QStringLiteral("Aguardando o banco de dados…"), 0, 0};
    const int pages = job.Pages();
    QString text = QStringLiteral("Lendo os dados do relatório: %1 linhas").arg(FormatCount(job.Rows()));
    if (pages > 0) text += QStringLiteral(", %1 páginas").arg(FormatCount(pages));
    return {text, 0, 0};
}

void Notify(const QString& action, const ReportDefinition& report, qsizetype rows, const QString& file) {
    if (auto& done = ReportEvents::ReportDone()) done(action, report.title, static_cast<int>(rows), file);
}

// Marks a report as running for as long as it lives.
class RunningReport {
public:
    explicit RunningReport(bool& running) : running_(running) { running_ = true; }
    ~RunningReport() { running_ = false; }
    RunningReport(const RunningReport&) = delete;
    RunningReport& operator=(const RunningReport&) = delete;

private:
    bool& running_;
};

}  // namespace

TReportDesignerDialog::TReportDesignerDialog(QObject* owner) : TComponent(owner) {}

// Collects the query's parameters and lets the screen fill them (called
// directly: an exception it raises stops the report); the database is made
// or checked here, with its messages, before the job opens its own
// connection to it.
std::unique_ptr<ReportJob> TReportDesignerDialog::StartJob(const ReportDefinition& report) const {
    TParams params = QueryParams(report.QueryFor(HostConfig::Instance().databaseKind));
    bool flag = false;
    if (BeforeGetQueryParams) BeforeGetQueryParams(params, flag);
    if (auto& ready = ReportEvents::ParamsReady()) ready(params);
    try {
        ReportDatabase(HostConfig::Instance());
    } catch (const EDatabaseLocked&) {  // the job waits for the lock, with Cancelar
    }
    auto job = std::make_unique<ReportJob>(report, params, FillHeaderLine(report.headerLine, params), HostConfig::Instance());
    job->Start();
    return job;
}

void TReportDesignerDialog::Preview(const ReportDefinition& report) {
    if (running_) return;
    const RunningReport running(running_);
    lastPreview_.reset();
    std::unique_ptr<ReportJob> job = StartJob(report);
    const auto progress = ProgressFor(report);
    const auto status = [&job] { return ReadingStatus(*job); };
    if (HostConfig::Instance().unattended) {
        WaitForWorker(job->Worker(), {}, nullptr, status);
        const QString file = ReportOutput::WriteToOutputFolder(job->Renderer(), report, QStringLiteral("preview"));
        Notify(QStringLiteral("preview"), report, job->Rows(), file);
        lastPreview_ = std::move(job);
        return;
    }
    WaitForWorker(job->Worker(), [&job] { return job->Pages() > 0; }, progress.get(), status);
    ShowPreview(*job, report);
}

// Closing the preview stops whatever is still being read; a failure while
// it was open closes it and is reported.
void TReportDesignerDialog::ShowPreview(ReportJob& job, const ReportDefinition& report) const {
    ReportPreview* shown = nullptr;
    const ReportPreview::Actions actions{
        [&](int page) {
            const QString file = ReportOutput::Print(job.Renderer(), report, shown, page);
            Notify(QStringLiteral("print"), report, job.Rows(), file);
        },
        [&] {
            const QString file = ReportOutput::AskAndWritePdf(job.Renderer(), report, shown);
            Notify(QStringLiteral("pdf"), report, job.Rows(), file);
        },
        [&] { ReportExport::AskAndWrite({report, job.Renderer().Data(), job.Params()}, shown); }};
    ReportPreview preview(job, report, actions, HostWindow());
    shown = &preview;
    Application->ExecModal(preview);
    job.Worker().Cancel();
    if (preview.JobFailed()) job.Worker().Rethrow();
    LetWorkerGo(job.Worker());
    Notify(QStringLiteral("preview"), report, job.Rows(), QString());
}

ReportExport::Written TReportDesignerDialog::ExportLastPreview(ReportExport::Format format) {
    if (!lastPreview_) throw Exception(QStringLiteral("Nenhum relatório foi visualizado para exportar."));
    const ReportJob& job = *lastPreview_;
    return ReportExport::WriteToOutputFolder({job.Report(), job.Renderer().Data(), job.Params()}, format);
}

void TReportDesignerDialog::Print(const ReportDefinition& report) {
    if (running_) return;
    const RunningReport running(running_);
    const std::unique_ptr<ReportJob> job = StartJob(report);
    const auto progress = ProgressFor(report);
    WaitForWorker(job->Worker(), {}, progress.get(), [&job] { return ReadingStatus(*job); });
    const ReportRenderer& renderer = job->Renderer();
    QString file;
    if (HostConfig::Instance().unattended)
        file = ReportOutput::WriteToOutputFolder(renderer, report, QStringLiteral("print"));
    else if (QPrinterInfo::availablePrinters().isEmpty())
        file = ReportOutput::AskAndWritePdf(renderer, report, HostWindow());
    else
        file = ReportOutput::Print(renderer, report, HostWindow());
    Notify(QStringLiteral("print"), report, job->Rows(), file);
}

ReportDefinition TReportDesignerDialog::SaveAs(const ReportDefinition& report,
                                               const QString& newTitle, const QString& replacing) {
    const QString title = newTitle.trimmed();
    if (title.isEmpty()) throw Exception(QStringLiteral("Informe o título do novo relatório."));
    const ReportFolders folders = ReportFolders::Of(HostConfig::Instance());
    const QString dir = folders.MakeUserFolder();
    ReportDefinition copy = report;
    copy.title = title;
    if (replacing.isEmpty()) {
        copy.file = copy.WriteNew(dir);
    } else {
        copy.file = folders.ReplacementFor(replacing);
        copy.Write(copy.file);
    }
    Notify(QStringLiteral("saveas"), copy, 0, copy.file);
    return copy;
}

std::function<void(const TParams& params)>& ReportEvents::ParamsReady() {
    static std::function<void(const TParams&)> hook;
    return hook;
}

std::function<void(const QString& action, const QString& title, int rows, const QString& file)>&
ReportEvents::ReportDone() {
    static std::function<void(const QString&, const QString&, int, const QString&)> hook;
    return hook;
}

namespace {
const bool registered = [] {
    RegisterClass<TReportDesignerDialog>("TReportDesignerDialog", "TComponent", false)
        .Event("BeforeGetQueryParams", &TReportDesignerDialog::BeforeGetQueryParams);
    return true;
}();
}  // namespace
