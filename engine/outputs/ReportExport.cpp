#include "ReportExport.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QRegularExpression>
#include <atomic>
#include <functional>
#include <memory>
#include <vector>

#include "CsvSink.h"
#include "DatabaseUrl.h"
#include "Forms.h"
#include "HostConfig.h"
#include "ReportHeader.h"
#include "ReportObservers.h"
#include "ReportProgressDialog.h"
#include "ReportValues.h"
#include "ReportWait.h"
#include "ReportWorker.h"
#include "SafeFile.h"
#include "SysUtils.h"
#include "XlsxSink.h"

namespace {

constexpr qsizetype kLongestTitle = 120;

const QString kXlsxFilter = QStringLiteral("Planilha do Excel (XLSX) (*.xlsx)");
const QString kCsvFilter = QStringLiteral("Texto separado por ponto e vírgula (CSV) (*.csv)");

// The first and the last date parameter, each as `show` gives it.
QString Period(const TParams& params, const std::function<QString(const TParam&)>& show) {
    QStringList dates;
    for (int i = 0; i < params.Count(); ++i) {
        const TFieldType type = params[i].DataType();
        if ((type == ftDate || type == ftDateTime) && !params[i].IsNull()) dates << show(params[i]);
    }
    if (dates.isEmpty()) return {};
    return dates.size() == 1 ? dates.front() : dates.front() + QStringLiteral(" a ") + dates.back();
}

// As the query receives it: "2025-03-01 a 2025-03-31".
QString Period(const TParams& params) {
    return Period(params, [](const TParam& date) { return BoundValue(date).toString().left(10); });
}

QString FileNameSafe(QString text) {
    static const QRegularExpression forbidden(QStringLiteral("[/\\\\:*?\"<>|\\x00-\\x1f\\x7f]"));
    text.replace(forbidden, QStringLiteral("-"));
    while (text.startsWith(u'.') || text.startsWith(u' ')) text.remove(0, 1);
    return text.left(kLongestTitle).trimmed();
}

QString User() {
    const QString user = qEnvironmentVariable("USER");
    return user.isEmpty() ? qEnvironmentVariable("LOGNAME") : user;
}

QString Action(ReportExport::Format format) { return ReportExport::Extension(format); }

void Tell(const ReportExport::Written& written, const ReportDefinition& report) {
    ReportObservers::TellExported(Action(written.format), report.title, written.result.rows, written.file,
                                  written.result.sheets);
}

// Never a silent cut: rows on further sheets and texts cut to a cell's limit
// are said.
void SayWhatDiffers(const ReportExport::Written& written) {
    QStringList notes;
    if (written.result.sheets > 1)
        notes
            << QStringLiteral(
                   "As %1 linhas não cabem numa planilha: continuam nas planilhas \"Dados (2)\" a "
                   "\"Dados (%2)\".")
                   .arg(FormatCount(written.result.rows))
                   .arg(written.result.sheets);
    if (written.result.cutCells > 0)
        notes << QStringLiteral(
                     "%1 textos passam do limite de 32.767 caracteres de uma célula e foram "
                     "cortados.")
                     .arg(FormatCount(written.result.cutCells));
    if (!notes.isEmpty())
        Application->ShowMessage(
            mtInformation, QStringLiteral("Relatório exportado para %1.\n%2")
                               .arg(QDir::toNativeSeparators(written.file), notes.join(u'\n')));
}

}  // namespace

QString ReportExport::Extension(Format format) {
    return format == Format::Xlsx ? QStringLiteral("xlsx") : QStringLiteral("csv");
}

QString ReportExport::DefaultFileName(const ReportDefinition& report, const TParams& params,
                                      Format format, int copy) {
    return DefaultFileName(report, params, Extension(format), copy);
}

QString ReportExport::DefaultFileName(const ReportDefinition& report, const TParams& params,
                                      const QString& extension, int copy) {
    QString name = FileNameSafe(report.title);
    if (name.isEmpty()) name = FileNameSafe(report.code);
    if (name.isEmpty()) name = QStringLiteral("Relatório");
    const QString period = Period(params);
    if (!period.isEmpty()) name += u' ' + period;
    if (copy > 1) name += QStringLiteral(" (%1)").arg(copy);
    return name + u'.' + extension;
}

QString ReportExport::DisplayName(const ReportDefinition& report, const TParams& params) {
    QString title = report.title.simplified();
    if (title.size() > kLongestTitle) title = title.left(kLongestTitle - 1) + u'…';
    if (title.isEmpty()) title = report.code.simplified().left(kLongestTitle);
    const QString period =
        Period(params, [](const TParam& date) { return DisplayText(date).left(10); });
    return period.isEmpty() ? title : title + QStringLiteral(" - ") + period;
}

QList<QPair<QString, QString>> ReportExport::AboutLines(const ReportDefinition& report,
                                                        const TParams& params) {
    QList<QPair<QString, QString>> lines;
    static const QRegularExpression gap(QStringLiteral("\\s{2,}"));
    const QString header = FillHeaderLine(report.headerLine, params);
    for (const QString& part : header.split(gap, Qt::SkipEmptyParts)) {
        const qsizetype colon = part.indexOf(QStringLiteral(": "));
        if (colon > 0)
            lines.append({part.left(colon).trimmed(), part.mid(colon + 2).trimmed()});
        else
            lines.append({QStringLiteral("Parâmetros"), part.trimmed()});
    }
    const HostConfig& config = HostConfig::Instance();
    lines.append({QStringLiteral("Banco de dados"), config.sampleDatabase
                                                        ? QStringLiteral("dados de demonstração")
                                                        : DatabaseDescription(config)});
    return lines;
}

ReportSinkResult ReportExport::Write(const Source& source, ReportSink& sink, SafeFile& file,
                                     QWidget* host) {
    ReportSinkStart start = ReportSinkStart::For(source.report, source.data.Fields());
    start.about = AboutLines(source.report, source.params);
    start.user = User();
    const qint64 total = source.data.RowCount();
    const int columns = source.data.ColumnCount();
    std::atomic<qint64> done{0};
    std::atomic<bool> closing{false};
    ReportSinkResult result;
    ReportWorker worker;
    worker.Start([&](WorkerState& self) {
        try {
            sink.Begin(start);
            std::vector<ReportCell> cells(static_cast<std::size_t>(columns));
            for (qint64 row = 0; row < total; ++row) {
                if (row % 1024 == 0) {
                    if (row % 65536 == 0) source.data.GiveBackMemory();
                    self.CheckCancel();
                    done.store(row);
                    self.Notify();
                }
                for (int column = 0; column < columns; ++column)
                    cells[static_cast<std::size_t>(column)] = source.data.Cell(row, column);
                sink.Row(cells.data());
            }
            self.CheckCancel();
            closing.store(true);
            self.Notify(true);
            result = sink.End();
        } catch (...) {
            sink.Abort();
            throw;
        }
    });
    const std::unique_ptr<ReportProgressDialog> dialog = ProgressDialogFor(source.report.title, host);
    WaitForWorker(worker, {}, dialog.get(), [&] {
        if (closing.load()) return WaitStatus{QStringLiteral("Gravando o arquivo..."), 0, 0};
        const qint64 n = done.load();
        const int scale = total > 0 ? static_cast<int>(n * 1000 / total) : 0;
        return WaitStatus{QStringLiteral("Exportando os dados: linha %1 de %2")
                              .arg(FormatCount(n), FormatCount(total)),
                          scale, 1000};
    });
    file.Commit();
    return result;
}

ReportSinkResult ReportExport::WriteFile(const Source& source, Format format, SafeFile& file,
                                         QWidget* host) {
    if (format == Format::Csv) {
        CsvSink sink(file.Device());
        return Write(source, sink, file, host);
    }
    const QString shown =
        file.Target().isEmpty() ? HostConfig::Instance().outputDir : file.Target();
    XlsxSink sink(file.PathForWriter(), shown, source.rowsPerSheet);
    return Write(source, sink, file, host);
}

ReportExport::Written ReportExport::AskAndWrite(const Source& source, QWidget* host) {
    QFileDialog dialog(
        host, QStringLiteral("Exportar relatório"),
        QDir::home().filePath(DefaultFileName(source.report, source.params, Format::Xlsx)),
        kXlsxFilter + QStringLiteral(";;") + kCsvFilter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("xlsx"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    QObject::connect(
        &dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& filter) {
            const QString suffix =
                filter == kCsvFilter ? QStringLiteral("csv") : QStringLiteral("xlsx");
            dialog.setDefaultSuffix(suffix);
            const QString name = QFileInfo(dialog.selectedFiles().value(0)).completeBaseName();
            if (!name.isEmpty()) dialog.selectFile(name + u'.' + suffix);
        });
    if (Application->ExecModal(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        Abort();
    Written written;
    written.file = dialog.selectedFiles().constFirst();
    const bool csv = written.file.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive) ||
                     (!written.file.endsWith(QStringLiteral(".xlsx"), Qt::CaseInsensitive) &&
                      dialog.selectedNameFilter() == kCsvFilter);
    written.format = csv ? Format::Csv : Format::Xlsx;
    SafeFile file(written.file);
    written.result = WriteFile(source, written.format, file, host);
    SayWhatDiffers(written);
    Tell(written, source.report);
    return written;
}

ReportExport::Written ReportExport::WriteToOutputFolder(const Source& source, Format format) {
    const QString dir = HostConfig::Instance().outputDir;
    if (dir.isEmpty())
        throw Exception(QStringLiteral("A pasta de saída dos relatórios não foi configurada."));
    QDir().mkpath(dir);
    SafeFile file = SafeFile::ClaimNew(
        dir, [&](int n) { return DefaultFileName(source.report, source.params, format, n); });
    Written written;
    written.format = format;
    written.result = WriteFile(source, format, file, nullptr);
    written.file = file.Target();
    SayWhatDiffers(written);
    Tell(written, source.report);
    return written;
}
