#pragma once

#include <QString>
#include <memory>

#include "HostExport.h"
#include "ReportDefinition.h"
#include "ReportRenderer.h"

class QWidget;
class ReportJob;

// Where a report run by ReportRunner goes: a window that shows its pages, a
// printer, a PDF file, a data file of its rows, or a sink of the caller's
// own. The runner starts the
// report, waits for it (with its progress over the host and Cancelar) and
// hands the started job to the output: once its first page is laid out
// when TakesFirstPage, else once every page is. A report cancelled or
// failed before that reaches no output.
class HOST_EXPORT ReportOutput {
public:
    virtual ~ReportOutput() = default;

    // A window that shows pages while the rest is read takes the job as
    // soon as the first page is laid out; the job is then still running.
    virtual bool TakesFirstPage() const { return false; }
    // The runner keeps this run's rows (until the next run into an output
    // that keeps them) for a later export (ReportRunner::ExportKept).
    virtual bool KeepsRows() const { return false; }
    // Before the report starts: throws Exception, with what the user is to
    // be told, when this output cannot take another report now.
    virtual void CheckRoom() const {}
    // Puts the report where this output goes; `host` is the window its
    // dialogs appear over. Gives the file written, or "" (on screen, on a
    // printer). Throws EAbort when the user cancels, Exception naming the
    // file and the reason when writing fails. An output implements either
    // this or KeepsJob and Keep.
    virtual QString Take(ReportJob& job, QWidget* host);

    // An output that stays after the run, a window the user closes when he
    // likes (the preview), is handed the job itself, through Keep instead
    // of Take: it owns the job from then on, stops whatever is still read
    // when it is done with it, and then tells the observers of `action`.
    virtual bool KeepsJob() const { return false; }
    virtual void Keep(std::unique_ptr<ReportJob> job, QWidget* host, const QString& action);
};

// The pages below are painted on a thread of their own while the host
// answers, with progress ("Gerando o arquivo PDF: página n de m") and
// Cancel. A PDF is written by cairo (PdfPages) through SafeFile: a cancelled
// or failed one leaves no file, and an earlier file of that name stays as it
// was; without cairo the action is refused, naming the library, before
// anything is asked or written.

// Asks where ("Salvar relatório em PDF"; EAbort when the user cancels) and
// writes the pages chosen there. The name offered, in the home folder, is the
// report's title and period (ReportExport::DefaultFileName). Below the file
// fields the dialog offers "Todas as páginas" (the start), "Página atual (N)"
// when a page is on view (`current`, from 1; 0: none) and "Páginas de … a …".
// The range's fields take only 1 to the page count, and moving one past the
// other moves the other along, so a range outside the report or backwards
// cannot be entered: it is clamped, never refused.
class HOST_EXPORT AskedPdfOutput : public ReportOutput {
public:
    explicit AskedPdfOutput(int current = 0) : current_(current) {}
    QString Take(ReportJob& job, QWidget* host) override;

private:
    int current_;
};

// Every page as "<code>-<name>-<n>.pdf" in `folder` (made when missing), the
// first n free when it is written: what the host application's scripted
// runs write in place of a preview or a printer.
class HOST_EXPORT FolderPdfOutput : public ReportOutput {
public:
    FolderPdfOutput(QString folder, QString name, bool keepsRows = false);
    bool KeepsRows() const override { return keepsRows_; }
    QString Take(ReportJob& job, QWidget* host) override;

private:
    QString folder_;
    QString name_;
    bool keepsRows_;
};

// The print dialog, then the pages it asks for (all, a range, or the page on
// view, `current` from 1, for "Página atual"; 0: none on view), on the
// printer or, printing to a file, into a PDF whose path it gives.
//
// For a printer the pages are first spooled into a PDF of the host's own, in
// a temporary folder only the user can read; only once the last page is
// written is the job handed to the print system (CUPS), whole, with the
// printer, copies, collation, sides and colour the dialog chose. A cancel or
// a failure before that sends nothing. The spool file is removed in every
// case. A print system that refuses the job throws Exception naming the
// printer and its reason.
class HOST_EXPORT PrinterOutput : public ReportOutput {
public:
    explicit PrinterOutput(int current = 0) : current_(current) {}
    QString Take(ReportJob& job, QWidget* host) override;

private:
    int current_;
};

// The report's rows, not its pages, as a data file asked for ("Exportar
// relatório": XLSX or CSV; ReportExport::AskAndWrite), which tells the
// observers itself (ReportObserver::Exported): the preview's Exportar.
class HOST_EXPORT AskedDataOutput : public ReportOutput {
public:
    QString Take(ReportJob& job, QWidget* host) override;
};
