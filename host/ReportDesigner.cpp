#include "ReportDesigner.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProgressDialog>
#include <cerrno>
#include <memory>

#include "ClassRegistry.h"
#include "Events.h"
#include "Forms.h"
#include "HostConfig.h"
#include "ReportDatabase.h"
#include "ReportHeader.h"
#include "ReportQuery.h"
#include "ReportRenderer.h"
#include "ReportSnapshot.h"
#include "SafeFile.h"
#include "SysUtils.h"
#include "SystemError.h"

namespace {

// Shows how far a long report has got and lets the user cancel it. The dialog
// appears only when the work takes longer than half a second, never in
// unattended runs.
class ReportProgress {
public:
    explicit ReportProgress(const QString& title) : title_(title) { Resume(); }

    // Puts the dialog away while another one is shown, and back afterwards.
    void Pause() { dialog_.reset(); }
    void Resume() {
        if (HostConfig::Instance().unattended ||
            !qobject_cast<QApplication*>(QCoreApplication::instance()))
            return;
        dialog_ = std::make_unique<QProgressDialog>(
            QStringLiteral("Lendo os dados do relatório..."), QStringLiteral("Cancelar"), 0, 0,
            QApplication::activeWindow());
        dialog_->setWindowTitle(title_);
        dialog_->setWindowModality(Qt::ApplicationModal);
        dialog_->setMinimumDuration(500);
        dialog_->setAutoReset(false);
        dialog_->setValue(0);
    }
    void Rows(int rows) {
        Step(QStringLiteral("Lendo os dados do relatório... %1 linhas").arg(rows), 0, 0);
    }
    void Page(int page, int pages) {
        Step(QStringLiteral("Montando a página %1 de %2...").arg(page).arg(pages), page, pages);
    }

private:
    void Step(const QString& label, int value, int maximum) {
        if (!dialog_) return;
        dialog_->setLabelText(label);
        dialog_->setMaximum(maximum);
        dialog_->setValue(value);
        QCoreApplication::processEvents();
        if (dialog_->wasCanceled()) Abort();
    }

    QString title_;
    std::unique_ptr<QProgressDialog> dialog_;
};

// A report read from the database and laid out, ready for any device.
struct PreparedReport {
    int rows = 0;
    std::unique_ptr<ReportRenderer> renderer;
};

void Notify(const QString& action, const ReportDefinition& report, int rows, const QString& file) {
    if (auto& done = ReportEvents::ReportDone()) done(action, report.title, rows, file);
}

// A new "<code>-<action>-<n>.pdf" in the output folder, the first n free
// when it is written: parallel hosts writing into one folder each keep
// their own file.
SafeFile UnattendedFile(const ReportDefinition& report, const QString& action) {
    const QString dir = HostConfig::Instance().outputDir;
    if (dir.isEmpty())
        throw Exception(QStringLiteral("A pasta de saída dos relatórios não foi configurada."));
    errno = 0;
    if (!QDir().mkpath(dir))
        throw Exception(QStringLiteral("Não foi possível criar a pasta de saída dos relatórios %1: %2.")
                            .arg(QDir::toNativeSeparators(dir), SystemReason(errno ? errno : EIO)));
    return SafeFile::ClaimNew(dir, [code = report.code, action](int n) {
        return QStringLiteral("%1-%2-%3.pdf").arg(code, action).arg(n);
    });
}

// Nothing is left of `out` unless the whole PDF reached the disk.
void WritePdf(const PreparedReport& prepared, const ReportDefinition& report, SafeFile& out,
              ReportProgress& progress) {
    {
        QPdfWriter writer(&out.Device());
        writer.setTitle(report.title);
        writer.setCreator(QStringLiteral("Relatórios"));
        writer.setPageLayout(prepared.renderer->PageLayout());
        prepared.renderer->Render(writer,
                                  [&progress](int page, int pages) { progress.Page(page, pages); });
    }
    out.Commit();
}

void ShowPreview(const PreparedReport& prepared) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(prepared.renderer->PageLayout());
    QPrintPreviewDialog dialog(&printer, QApplication::activeWindow());
    dialog.setWindowTitle(QStringLiteral("Visualizar relatório"));
    // Painting runs inside Qt's event loop: errors go through the dispatch
    // point instead of escaping it.
    QObject::connect(
        &dialog, &QPrintPreviewDialog::paintRequested, &dialog,
        [&prepared](QPrinter* target) { Dispatch([&] { prepared.renderer->Render(*target); }); });
    Application->ExecModal(dialog);
}

// Where there is no printer, asks for a PDF file instead; "" when cancelled.
QString AskPdfFile(const ReportDefinition& report) {
    QFileDialog dialog(QApplication::activeWindow(), QStringLiteral("Salvar relatório em PDF"),
                       QDir::home().filePath(report.code + QStringLiteral(".pdf")),
                       QStringLiteral("Arquivos PDF (*.pdf)"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("pdf"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    if (Application->ExecModal(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

// Prints on the printer the user picks; gives the file written when he
// printed to a file.
QString PrintOnPrinter(const PreparedReport& prepared, ReportProgress& progress) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(prepared.renderer->PageLayout());
    QPrintDialog dialog(&printer, QApplication::activeWindow());
    dialog.setWindowTitle(QStringLiteral("Imprimir relatório"));
    if (Application->ExecModal(dialog) != QDialog::Accepted) Abort();
    progress.Resume();
    prepared.renderer->Render(printer,
                              [&progress](int page, int pages) { progress.Page(page, pages); });
    return printer.outputFormat() == QPrinter::PdfFormat ? printer.outputFileName() : QString();
}

// Collects the query's parameters, lets the screen fill them, runs the query
// and lays the rows out. The screen's handler is called directly: an
// exception it raises stops the report.
PreparedReport Prepare(const TReportDesignerDialog& designer, const ReportDefinition& report,
                       ReportProgress& progress) {
    const HostConfig& config = HostConfig::Instance();
    const QString& sql = report.QueryFor(config.databaseDriver);
    TParams params = QueryParams(sql);
    bool flag = false;
    if (designer.BeforeGetQueryParams) designer.BeforeGetQueryParams(params, flag);
    if (auto& ready = ReportEvents::ParamsReady()) ready(params);

    QSqlDatabase db = ReportDatabase(config);
    const ReportSnapshot snapshot(db, config.queryTimeLimit);
    const QueryLimits limits{report.file, nullptr, config.queryTimeLimit};
    const ReportData data = RunReportQuery(
        db, sql, params, [&progress](int rows) { progress.Rows(rows); }, limits);
    return {
        static_cast<int>(data.rows.size()),
        std::make_unique<ReportRenderer>(report, data, FillHeaderLine(report.headerLine, params))};
}

}  // namespace

TReportDesignerDialog::TReportDesignerDialog(QObject* owner) : TComponent(owner) {}

void TReportDesignerDialog::Preview(const ReportDefinition& report) {
    ReportProgress progress(report.title);
    const PreparedReport prepared = Prepare(*this, report, progress);
    if (HostConfig::Instance().unattended) {
        SafeFile out = UnattendedFile(report, QStringLiteral("preview"));
        WritePdf(prepared, report, out, progress);
        return Notify(QStringLiteral("preview"), report, prepared.rows, out.Target());
    }
    progress.Pause();
    ShowPreview(prepared);
    Notify(QStringLiteral("preview"), report, prepared.rows, QString());
}

void TReportDesignerDialog::Print(const ReportDefinition& report) {
    ReportProgress progress(report.title);
    const PreparedReport prepared = Prepare(*this, report, progress);
    QString file;
    if (HostConfig::Instance().unattended) {
        SafeFile out = UnattendedFile(report, QStringLiteral("print"));
        WritePdf(prepared, report, out, progress);
        file = out.Target();
    } else if (QPrinterInfo::availablePrinters().isEmpty()) {
        progress.Pause();
        file = AskPdfFile(report);
        if (file.isEmpty()) Abort();
        progress.Resume();
        SafeFile out(file);
        WritePdf(prepared, report, out, progress);
    } else {
        progress.Pause();
        file = PrintOnPrinter(prepared, progress);
    }
    Notify(QStringLiteral("print"), report, prepared.rows, file);
}

ReportDefinition TReportDesignerDialog::SaveAs(const ReportDefinition& report,
                                               const QString& newTitle, const QString& replacing) {
    const QString title = newTitle.trimmed();
    if (title.isEmpty()) throw Exception(QStringLiteral("Informe o título do novo relatório."));
    ReportDefinition copy = report;
    copy.title = title;
    if (replacing.isEmpty()) {
        copy.file = copy.WriteNew(report.file.isEmpty() ? HostConfig::Instance().reportsDir
                                                        : QFileInfo(report.file).absolutePath());
    } else {
        copy.file = replacing;
        copy.Write(replacing);
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
