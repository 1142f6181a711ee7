#include "ReportOutput.h"

#include <cups/cups.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPrintDialog>
#include <QPrinter>
#include <QRadioButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <atomic>
#include <cerrno>
#include <memory>
#include <stdexcept>

#include "Forms.h"
#include "OnDemandLibrary.h"
#include "PdfPages.h"
#include "ReportExport.h"
#include "ReportJob.h"
#include "ReportProgressDialog.h"
#include "ReportWait.h"
#include "ReportWorker.h"
#include "SafeFile.h"
#include "SysUtils.h"
#include "SystemError.h"

namespace {

const QString kWritingPdf = QStringLiteral("Gerando o arquivo PDF");

// Paints pages `first` to `last` on a device made by `paint` on the worker's
// thread, while the GUI thread waits with "<doing>: página n de m".
void PaintInBackground(const ReportDefinition& report, QWidget* host, const QString& doing, int first, int last,
                       const std::function<void(const std::function<void(int)>& progress)>& paint) {
    std::atomic<int> page{first};
    ReportWorker worker;
    worker.Start([&](WorkerState& self) {
        paint([&](int n) {
            self.CheckCancel();
            page.store(n);
            self.Notify();
        });
    });
    const std::unique_ptr<ReportProgressDialog> dialog = ProgressDialogFor(report.title, host);
    WaitForWorker(worker, {}, dialog.get(), [&] {
        const int n = page.load();
        return WaitStatus{QStringLiteral("%1: página %2 de %3").arg(doing, FormatCount(n), FormatCount(last)),
                          n - first, last - first + 1};
    });
}

QString OutputFolder(const QString& dir) {
    if (dir.isEmpty()) throw Exception(QStringLiteral("A pasta de saída dos relatórios não foi configurada."));
    MakeFolder(dir, QStringLiteral("de saída dos relatórios"));
    return dir;
}

// The pages to write: "Todas as páginas", "Página atual (N)" or "Páginas de
// … a …", a row of the PDF's file dialog.
class PageChoice : public QWidget {
public:
    PageChoice(int pages, int current, QWidget* parent) : QWidget(parent) {
        auto* row = new QHBoxLayout(this);
        row->setContentsMargins(0, 0, 0, 0);
        all_ = new QRadioButton(QStringLiteral("&Todas as páginas"), this);
        row->addWidget(all_);
        if (current > 0) {
            current_ = new QRadioButton(
                QStringLiteral("Página at&ual (%1)").arg(FormatCount(current)), this);
            current_->setProperty("page", current);
            row->addWidget(current_);
        }
        range_ = new QRadioButton(QStringLiteral("Pá&ginas de"), this);
        from_ = Field(QStringLiteral("Da página"), pages, 1);
        to_ = Field(QStringLiteral("Até a página"), pages, pages);
        auto* between = new QLabel(QStringLiteral("a"), this);
        between->setBuddy(to_);
        for (QWidget* widget : std::initializer_list<QWidget*>{range_, from_, between, to_})
            row->addWidget(widget);
        row->addStretch();
        all_->setChecked(true);
        // A range is always forwards: the other end follows the one moved.
        connect(from_, &QSpinBox::valueChanged, this, [this](int n) {
            range_->setChecked(true);
            if (to_->value() < n) to_->setValue(n);
        });
        connect(to_, &QSpinBox::valueChanged, this, [this](int n) {
            range_->setChecked(true);
            if (from_->value() > n) from_->setValue(n);
        });
    }

    std::pair<int, int> Chosen(int pages) const {
        if (current_ && current_->isChecked()) {
            const int page = std::clamp(current_->property("page").toInt(), 1, pages);
            return {page, page};
        }
        if (range_->isChecked()) return {from_->value(), to_->value()};
        return {1, pages};
    }

private:
    QSpinBox* Field(const QString& name, int pages, int value) {
        auto* field = new QSpinBox(this);
        field->setRange(1, std::max(pages, 1));
        field->setValue(value);
        field->setAccessibleName(name);
        return field;
    }

    QRadioButton* all_;
    QRadioButton* current_ = nullptr;
    QRadioButton* range_;
    QSpinBox* from_;
    QSpinBox* to_;
};

// Where there is no printer, or to save from the preview: a PDF file and its
// pages; an empty path when the user cancels.
std::pair<QString, std::pair<int, int>> AskPdfFile(ReportJob& job, int current, QWidget* host) {
    const int pages = job.Renderer().PageCount();
    QFileDialog dialog(host, QStringLiteral("Salvar relatório em PDF"),
                       QDir::home().filePath(ReportExport::DefaultFileName(
                           job.Report(), job.Params(), QStringLiteral("pdf"))),
                       QStringLiteral("Arquivos PDF (*.pdf)"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("pdf"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    auto* choice = new PageChoice(pages, current, &dialog);
    // The non-native dialog lays its fields out on a grid: the pages are a
    // row of their own under them.
    if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout()))
        grid->addWidget(choice, grid->rowCount(), 0, 1, grid->columnCount());
    else
        dialog.layout()->addWidget(choice);
    if (Application->ExecModal(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return {dialog.selectedFiles().constFirst(), choice->Chosen(pages)};
}

// The pages the print dialog asked for.
std::pair<int, int> ChosenPages(const QPrinter& printer, int pages, int current) {
    switch (printer.printRange()) {
        case QPrinter::CurrentPage:
            return {current, current};
        case QPrinter::PageRange:
            return {std::clamp(printer.fromPage(), 1, pages), std::clamp(printer.toPage(), 1, pages)};
        default:
            return {1, pages};
    }
}

// Pages `first` to `last` into `file` as a PDF (PdfPages), with "<doing>:
// página n de m".
void PaintPdf(const ReportRenderer& renderer, const ReportDefinition& report, SafeFile& file, QWidget* host,
              const QString& doing, int first, int last) {
    PaintInBackground(report, host, doing, first, last, [&](const std::function<void(int)>& progress) {
        PdfPages::Write(renderer, report.title, file.Device(), first, last, progress);
    });
    file.Commit();
}

// Before anything is asked or made: a PDF needs cairo; `where` is what the
// message names.
void CheckPdfLibrary(const QString& where) {
    if (!PdfPages::Available())
        throw Exception(QStringLiteral("Não foi possível gravar %1: a biblioteca de PDF (%2) não está instalada.")
                            .arg(QDir::toNativeSeparators(where), PdfPages::LibraryFile()));
}

// The print system's functions the host calls, from its client library,
// opened when the first job is sent: a run that never prints loads none of
// it. All or none.
struct CupsFunctions {
    decltype(cupsAddOption)* addOption = nullptr;
    decltype(cupsAddIntegerOption)* addIntegerOption = nullptr;
    decltype(cupsPrintFile2)* printFile = nullptr;
    decltype(cupsFreeOptions)* freeOptions = nullptr;
    decltype(cupsLastErrorString)* lastErrorString = nullptr;
};

constexpr OnDemandLibrary kCups("libcups.so.2");

const CupsFunctions& Cups() {
    static const CupsFunctions functions = [] {
        CupsFunctions f;
        const bool all = kCups.Bind(f.addOption, "cupsAddOption") &&
                         kCups.Bind(f.addIntegerOption, "cupsAddIntegerOption") &&
                         kCups.Bind(f.printFile, "cupsPrintFile2") && kCups.Bind(f.freeOptions, "cupsFreeOptions") &&
                         kCups.Bind(f.lastErrorString, "cupsLastErrorString");
        return all ? f : CupsFunctions{};
    }();
    return functions;
}

// The choices of the print dialog that the pages themselves do not carry, as
// the print system names them. The range is not among them: only the pages
// chosen are in the job.
int JobOptions(const QPrinter& printer, cups_option_t** options) {
    const CupsFunctions& cups = Cups();
    int count = 0;
    count = cups.addIntegerOption("copies", std::max(printer.copyCount(), 1), count, options);
    count = cups.addOption("Collate", printer.collateCopies() ? "True" : "False", count, options);
    const char* sides = "one-sided";
    if (printer.duplex() == QPrinter::DuplexLongSide) sides = "two-sided-long-edge";
    if (printer.duplex() == QPrinter::DuplexShortSide) sides = "two-sided-short-edge";
    count = cups.addOption("sides", sides, count, options);
    if (printer.colorMode() == QPrinter::GrayScale)
        count = cups.addOption("print-color-mode", "monochrome", count, options);
    return count;
}

// Hands the whole spooled job to the print system.
void SendToPrinter(const QPrinter& printer, const QString& pdf, const QString& title) {
    const QByteArray name = printer.printerName().toUtf8();
    if (name.isEmpty()) throw Exception(QStringLiteral("Nenhuma impressora foi escolhida; nada foi impresso."));
    const CupsFunctions& cups = Cups();
    if (!cups.printFile)
        throw Exception(QStringLiteral("Não foi possível imprimir em %1: a biblioteca do sistema de impressão "
                                       "(%2) não está instalada; nada foi impresso.")
                            .arg(printer.printerName(), QString::fromLatin1(kCups.File())));
    cups_option_t* options = nullptr;
    const int count = JobOptions(printer, &options);
    const int job = cups.printFile(CUPS_HTTP_DEFAULT, name.constData(), QFile::encodeName(pdf).constData(),
                                   title.toUtf8().constData(), count, options);
    cups.freeOptions(count, options);
    if (job <= 0)
        throw Exception(QStringLiteral("A impressora %1 não aceitou o relatório; nada foi impresso (%2).")
                            .arg(printer.printerName(), QString::fromUtf8(cups.lastErrorString())));
}

// A folder only the user can read, for the spool file; removed with it.
QTemporaryDir SpoolFolder() {
    QTemporaryDir dir(QDir::temp().filePath(QStringLiteral("rclhost-impressao-XXXXXX")));
    if (!dir.isValid())
        throw Exception(QStringLiteral("Não foi possível criar a pasta temporária da impressão em %1: %2.")
                            .arg(QDir::toNativeSeparators(QDir::tempPath()), dir.errorString()));
    return dir;
}

}  // namespace

FolderPdfOutput::FolderPdfOutput(QString folder, QString name, bool keepsRows)
    : folder_(std::move(folder)), name_(std::move(name)), keepsRows_(keepsRows) {}

QString FolderPdfOutput::Take(ReportJob& job, QWidget* host) {
    const ReportDefinition& report = job.Report();
    CheckPdfLibrary(folder_);
    SafeFile file = SafeFile::ClaimNew(OutputFolder(folder_), [&](int n) {
        return QStringLiteral("%1-%2-%3.pdf").arg(report.code, name_).arg(n);
    });
    PaintPdf(job.Renderer(), report, file, host, kWritingPdf, 1, job.Renderer().PageCount());
    return file.Target();
}

QString AskedPdfOutput::Take(ReportJob& job, QWidget* host) {
    const auto [path, chosen] = AskPdfFile(job, current_, host);
    if (path.isEmpty()) Abort();
    CheckPdfLibrary(path);
    SafeFile file(path);
    PaintPdf(job.Renderer(), job.Report(), file, host, kWritingPdf, chosen.first, chosen.second);
    return path;
}

QString PrinterOutput::Take(ReportJob& job, QWidget* host) {
    const ReportRenderer& renderer = job.Renderer();
    const ReportDefinition& report = job.Report();
    const int current = current_;
    const int pages = renderer.PageCount();
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(renderer.PageLayout());
    QPrintDialog dialog(&printer, host);
    dialog.setWindowTitle(QStringLiteral("Imprimir relatório"));
    dialog.setMinMax(1, pages);
    if (current > 0) dialog.setOption(QAbstractPrintDialog::PrintCurrentPage);
    if (Application->ExecModal(dialog) != QDialog::Accepted) Abort();
    // Plain names, not a structured binding: the lambda below captures them.
    const std::pair<int, int> chosen = ChosenPages(printer, pages, std::clamp(current, 1, pages));
    const int first = chosen.first;
    const int last = chosen.second;
    if (printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty()) {
        CheckPdfLibrary(printer.outputFileName());
        SafeFile file(printer.outputFileName());
        PaintPdf(renderer, report, file, host, kWritingPdf, first, last);
        return printer.outputFileName();
    }
    // Every page is spooled before the print system hears of the job, so a
    // cancel, a failure or a host that dies on the way prints nothing.
    if (!PdfPages::Available())
        throw Exception(QStringLiteral("Não foi possível imprimir em %1: a biblioteca de PDF (%2) não está "
                                       "instalada; nada foi impresso.")
                            .arg(printer.printerName(), PdfPages::LibraryFile()));
    const QTemporaryDir spool = SpoolFolder();
    SafeFile file(spool.filePath(QStringLiteral("relatorio.pdf")));
    PaintPdf(renderer, report, file, host, QStringLiteral("Imprimindo"), first, last);
    SendToPrinter(printer, file.Target(), report.title);
    return {};
}

QString AskedDataOutput::Take(ReportJob& job, QWidget* host) {
    return ReportExport::AskAndWrite({job.Report(), job.Renderer().Data(), job.Params()}, host).file;
}

QString ReportOutput::Take(ReportJob& /*job*/, QWidget* /*host*/) {
    throw std::logic_error("ReportOutput::Take: this output keeps its jobs (Keep)");
}

void ReportOutput::Keep(std::unique_ptr<ReportJob> /*job*/, QWidget* /*host*/, const QString& /*action*/) {
    throw std::logic_error("ReportOutput::Keep: this output takes its jobs (Take)");
}
