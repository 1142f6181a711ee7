#include "PreviewOutput.h"

#include <QScreen>
#include <QStyle>
#include <memory>

#include "Events.h"
#include "Forms.h"
#include "ReportJob.h"
#include "ReportObservers.h"
#include "ReportPreview.h"
#include "SysUtils.h"

namespace {

QList<ReportPreview*> OpenPreviews() {
    QList<ReportPreview*> open;
    for (QWidget* window : Application->Windows())
        if (auto* preview = qobject_cast<ReportPreview*>(window); preview && preview->isVisible())
            open.append(preview);
    return open;
}

// A title bar lower and to the right of the last preview open, kept on its
// screen (back to the top left of the screen when it would leave it).
void Cascade(ReportPreview& preview, const ReportPreview& last) {
    const int step = preview.style()->pixelMetric(QStyle::PM_TitleBarHeight) + 8;
    QRect placed(last.geometry().topLeft() + QPoint(step, step), preview.size());
    const QScreen* screen = last.screen();
    if (screen) {
        const QRect area = screen->availableGeometry();
        if (placed.right() > area.right() || placed.bottom() > area.bottom())
            placed.moveTopLeft(area.topLeft() + QPoint(step, step));
    }
    preview.move(placed.topLeft());
}

}  // namespace

void PreviewOutput::CheckRoom() const {
    if (OpenPreviews().size() >= kMostOpen)
        throw Exception(QStringLiteral("Já há %1 visualizações abertas, o máximo. Feche uma delas para "
                                       "visualizar outro relatório.")
                            .arg(kMostOpen));
}

void PreviewOutput::Keep(std::unique_ptr<ReportJob> job, QWidget* host, const QString& action) {
    ReportJob& kept = *job;
    const QList<ReportPreview*> open = OpenPreviews();
    // The actions live in the preview, which owns the job: both outlive them.
    auto shown = std::make_shared<ReportPreview*>(nullptr);
    const auto tell = [&kept](const QString& done, const QString& file) {
        ReportObservers::TellReportDone(done, kept.Report().title, kept.Rows(), file);
    };
    const ReportPreview::Actions actions{
        [&kept, shown, tell](int page) { tell(ReportActions::Print(), PrinterOutput(page).Take(kept, *shown)); },
        [&kept, shown, tell](int page) {
            tell(ReportActions::SavedPdf(), AskedPdfOutput(page).Take(kept, *shown));
        },
        [&kept, shown] { AskedDataOutput().Take(kept, *shown); }};
    auto* preview = new ReportPreview(std::move(job), actions, host);
    *shown = preview;
    if (!open.isEmpty()) Cascade(*preview, *open.last());
    QObject::connect(preview, &QDialog::finished, preview, [preview, &kept, action] {
        const bool failed = preview->JobFailed();
        kept.Worker().Cancel();
        if (failed) return Dispatch([&kept] { kept.Worker().Rethrow(); });
        ReportObservers::TellReportDone(action, kept.Report().title, kept.Rows(), {});
    });
    // Failed before it could be shown: closed at once, with the message.
    if (preview->JobFailed()) return preview->reject();
    Application->ShowWindow(*preview);
}
