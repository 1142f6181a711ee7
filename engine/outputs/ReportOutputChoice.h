#pragma once

#include <QString>
#include <memory>

#include "HostExport.h"
#include "ReportOutput.h"

// Which output each report action of the screens (TReportDesignerDialog's
// Preview and Print) runs into. People's, unless the host application
// installs another: the preview window (PreviewOutput), and the printer
// (PrinterOutput) or, where the system has no printer, a PDF file asked for.
class HOST_EXPORT ReportOutputChoice {
public:
    virtual ~ReportOutputChoice() = default;
    virtual std::unique_ptr<ReportOutput> ForPreview() const = 0;
    virtual std::unique_ptr<ReportOutput> ForPrint() const = 0;

    // The one installed, else people's.
    static const ReportOutputChoice& Current();
    // Installs `choice` (not owned; it stays until replaced; nullptr: people's
    // again) and gives the one it replaces.
    static const ReportOutputChoice* Install(const ReportOutputChoice* choice);
};

// Every report into a PDF file in `folder` (FolderPdfOutput): "<code>-
// preview-<n>.pdf", whose rows are kept for the export of the last preview,
// and "<code>-print-<n>.pdf".
class HOST_EXPORT FolderOutputChoice : public ReportOutputChoice {
public:
    explicit FolderOutputChoice(QString folder) : folder_(std::move(folder)) {}
    std::unique_ptr<ReportOutput> ForPreview() const override;
    std::unique_ptr<ReportOutput> ForPrint() const override;

private:
    QString folder_;
};

// For as long as it lives, reports run as nobody watches them: every action
// of the screens writes a PDF into `folder` (FolderOutputChoice) and no
// progress window shows (ShowProgressDialogs). The host application's
// scripted runs use it; tests that run reports so, too. Puts back people's
// outputs and progress when it goes.
class HOST_EXPORT ReportsIntoFolder {
public:
    explicit ReportsIntoFolder(const QString& folder);
    ~ReportsIntoFolder();
    ReportsIntoFolder(const ReportsIntoFolder&) = delete;
    ReportsIntoFolder& operator=(const ReportsIntoFolder&) = delete;

private:
    FolderOutputChoice choice_;
};
