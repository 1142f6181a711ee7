#include "ReportDesigner.h"

#include "ClassRegistry.h"
#include "ReportObservers.h"
#include "ReportOutput.h"
#include "ReportOutputChoice.h"

TReportDesignerDialog::TReportDesignerDialog(QObject* owner) : TComponent(owner) {}

ReportRunner::FillParams TReportDesignerDialog::Fill() const {
    return [this](TParams& params) {
        bool flag = false;
        if (BeforeGetQueryParams) BeforeGetQueryParams(params, flag);
    };
}

void TReportDesignerDialog::Preview(const ReportDefinition& report) {
    if (runner_.Running()) return;
    const std::unique_ptr<ReportOutput> output = ReportOutputChoice::Current().ForPreview();
    runner_.Run(report, *output, ReportActions::Preview(), Fill());
}

void TReportDesignerDialog::Print(const ReportDefinition& report) {
    if (runner_.Running()) return;
    const std::unique_ptr<ReportOutput> output = ReportOutputChoice::Current().ForPrint();
    runner_.Run(report, *output, ReportActions::Print(), Fill());
}

ReportExport::Written TReportDesignerDialog::ExportLastPreview(ReportExport::Format format) const {
    return runner_.ExportKept(format);
}

ReportDefinition TReportDesignerDialog::SaveAs(const ReportDefinition& report, const QString& newTitle,
                                               const QString& replacing) {
    return ReportRunner::SaveAs(report, newTitle, replacing);
}

namespace {
const bool registered = [] {
    RegisterClass<TReportDesignerDialog>("TReportDesignerDialog", "TComponent", false)
        .Event("BeforeGetQueryParams", &TReportDesignerDialog::BeforeGetQueryParams);
    return true;
}();
}  // namespace
