#include "ReportRunner.h"

#include <QApplication>
#include <QMdiArea>

#include "Forms.h"
#include "HostConfig.h"
#include "ReportDatabase.h"
#include "ReportFolders.h"
#include "ReportHeader.h"
#include "ReportJob.h"
#include "ReportObservers.h"
#include "ReportOutput.h"
#include "ReportProgressDialog.h"
#include "ReportWait.h"
#include "SysUtils.h"

namespace {

// The window the report's dialogs appear over: the active one, unless it is
// a window left open beside the screens (a preview), which is no screen's.
QWidget* HostWindow() {
    QWidget* active = QApplication::activeWindow();
    if (active && !Application->Windows().contains(active)) return active;
    QMdiArea* area = Application->MdiArea();
    return area ? area->window() : active;
}

WaitStatus ReadingStatus(const ReportJob& job) {
    if (job.WaitingForDatabase()) return {QStringLiteral("Aguardando o banco de dados…"), 0, 0};
    const int pages = job.Pages();
    QString text =
        QStringLiteral("Lendo os dados do relatório: %1 linhas").arg(FormatCount(job.Rows()));
    if (pages > 0) text += QStringLiteral(", %1 páginas").arg(FormatCount(pages));
    return {text, 0, 0};
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

ReportRunner::ReportRunner() = default;
ReportRunner::~ReportRunner() = default;

// The database is made or checked here, with its messages, before the job
// opens its own connection to it.
std::unique_ptr<ReportJob> ReportRunner::StartJob(const ReportDefinition& report,
                                                  const FillParams& fill) const {
    TParams params = QueryParams(report.QueryFor(HostConfig::Instance().databaseKind));
    if (fill) fill(params);
    ReportObservers::TellParamsReady(params);
    try {
        ReportDatabase(HostConfig::Instance());
    } catch (const EDatabaseLocked&) {  // the job waits for the lock, with Cancelar
    }
    auto job = std::make_unique<ReportJob>(
        report, params, FillHeaderLine(report.headerLine, params), HostConfig::Instance());
    job->Start();
    return job;
}

void ReportRunner::Run(const ReportDefinition& report, ReportOutput& output, const QString& action,
                       const FillParams& fill) {
    if (running_) return;
    const RunningReport running(running_);
    if (ReportJob::AnyReading()) {
        Application->ShowMessage(mtInformation, QStringLiteral("Aguarde o fim da leitura do relatório "
                                                               "aberto na visualização, ou feche-a, "
                                                               "para gerar outro relatório."));
        return;
    }
    output.CheckRoom();
    if (output.KeepsRows()) kept_.reset();
    std::unique_ptr<ReportJob> job = StartJob(report, fill);
    std::function<bool()> enough;
    if (output.TakesFirstPage()) enough = [&job] { return job->Pages() > 0; };
    {
        const auto progress = ProgressDialogFor(report.title, HostWindow());
        WaitForWorker(job->Worker(), enough, progress.get(),
                      [&job] { return ReadingStatus(*job); });
    }
    if (output.KeepsJob()) return output.Keep(std::move(job), HostWindow(), action);
    const QString file = output.Take(*job, HostWindow());
    ReportObservers::TellReportDone(action, report.title, job->Rows(), file);
    if (output.KeepsRows()) kept_ = std::move(job);
}

ReportExport::Written ReportRunner::ExportKept(ReportExport::Format format) const {
    if (!kept_) throw Exception(QStringLiteral("Nenhum relatório foi visualizado para exportar."));
    const ReportJob& job = *kept_;
    return ReportExport::WriteToOutputFolder({job.Report(), job.Renderer().Data(), job.Params()},
                                             format);
}

ReportDefinition ReportRunner::SaveAs(const ReportDefinition& report, const QString& newTitle,
                                      const QString& replacing) {
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
    ReportObservers::TellReportDone(ReportActions::SaveAs(), copy.title, 0, copy.file);
    return copy;
}
