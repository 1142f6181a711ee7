#pragma once

#include "HostExport.h"
#include "ReportOutput.h"

// The host's preview window (ReportPreview), for people: it takes the report
// as soon as its first page is laid out and shows it while the rest is read,
// and stays open after the run, owning the job, until the user closes it;
// the screens stay usable meanwhile. Its actions go into outputs of their
// own: print into PrinterOutput (the page on view offered), save into
// AskedPdfOutput, export into AskedDataOutput; each tells the observers what
// it did ("print", "pdf", "xlsx" or "csv"). Closing it stops whatever is
// still being read and tells the observers of the preview itself, with the
// rows read. A failure while it is open closes it and is shown in a message.
//
// At most kMostOpen previews are open at once (each holds its report's rows):
// past that CheckRoom says so and nothing is read. Each one opens over most
// of the host's window, a title bar lower and to the right of the last one
// still open, so that none hides another's title.
class HOST_EXPORT PreviewOutput : public ReportOutput {
public:
    static constexpr int kMostOpen = 8;

    bool TakesFirstPage() const override { return true; }
    void CheckRoom() const override;
    bool KeepsJob() const override { return true; }
    void Keep(std::unique_ptr<ReportJob> job, QWidget* host, const QString& action) override;
};
