#include "ReportOutputChoice.h"

#include <QPrinterInfo>

#include "PreviewOutput.h"
#include "ReportObservers.h"
#include "ReportProgressDialog.h"

namespace {

class PeoplesChoice : public ReportOutputChoice {
public:
    std::unique_ptr<ReportOutput> ForPreview() const override {
        return std::make_unique<PreviewOutput>();
    }
    std::unique_ptr<ReportOutput> ForPrint() const override {
        if (QPrinterInfo::availablePrinters().isEmpty()) return std::make_unique<AskedPdfOutput>();
        return std::make_unique<PrinterOutput>();
    }
};

const ReportOutputChoice* installed = nullptr;

}  // namespace

const ReportOutputChoice& ReportOutputChoice::Current() {
    static const PeoplesChoice peoples;
    return installed ? *installed : peoples;
}

const ReportOutputChoice* ReportOutputChoice::Install(const ReportOutputChoice* choice) {
    return std::exchange(installed, choice);
}

std::unique_ptr<ReportOutput> FolderOutputChoice::ForPreview() const {
    return std::make_unique<FolderPdfOutput>(folder_, ReportActions::Preview(), true);
}

std::unique_ptr<ReportOutput> FolderOutputChoice::ForPrint() const {
    return std::make_unique<FolderPdfOutput>(folder_, ReportActions::Print());
}

ReportsIntoFolder::ReportsIntoFolder(const QString& folder) : choice_(folder) {
    ReportOutputChoice::Install(&choice_);
    ShowProgressDialogs(false);
}

ReportsIntoFolder::~ReportsIntoFolder() {
    ReportOutputChoice::Install(nullptr);
    ShowProgressDialogs(true);
}
