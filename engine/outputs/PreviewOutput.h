#pragma once

#include "HostExport.h"
#include "ReportOutput.h"

// The host's preview window (ReportPreview), for people: it takes the report
// as soon as its first page is laid out and shows it while the rest is read.
// Its actions go into outputs of their own: print into PrinterOutput (the
// page on view offered), save into AskedPdfOutput, export into
// AskedDataOutput; each tells the observers what it did ("print", "pdf",
// "xlsx" or "csv"). Closing it stops whatever is still being read; a
// failure while it was open closes it and is thrown once the job has ended.
class HOST_EXPORT PreviewOutput : public ReportOutput {
public:
    bool TakesFirstPage() const override { return true; }
    QString Take(ReportJob& job, QWidget* host) override;
};
