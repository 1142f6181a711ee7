#include "ReportRenderer.h"

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPrinter>
#include <algorithm>
#include <cmath>
#include <optional>

#include "DateUtils.h"
#include "PageCommands.h"
#include "ReportPainter.h"
#include "SysUtils.h"

ReportRenderer::ReportRenderer(const ReportDefinition& report, ReportData data, QString parametersLine,
                               QString notice)
    : report_(report), data_(std::move(data)), parametersLine_(std::move(parametersLine)), notice_(std::move(notice)) {
    data_.Publish();
    StartLayout();
    Finish();
}

ReportRenderer::ReportRenderer(const ReportDefinition& report, QString parametersLine, QString notice)
    : report_(report), parametersLine_(std::move(parametersLine)), notice_(std::move(notice)) {}

ReportRenderer::~ReportRenderer() = default;

void ReportRenderer::StartLayout() {
    layout_ = std::make_unique<ReportLayout>(report_, data_, !parametersLine_.isEmpty());
    started_.store(layout_.get(), std::memory_order_release);
}

void ReportRenderer::LayOutNewRows() { layout_->LayOutNewRows(); }
void ReportRenderer::Finish() { layout_->Finish(); }

QPageLayout ReportRenderer::PageLayout() const { return ReportLayout::PageLayoutFor(report_); }
int ReportRenderer::PageCount() const {
    const ReportLayout* layout = started_.load(std::memory_order_acquire);
    return layout ? layout->CompletePages() : 0;
}

bool ReportRenderer::Finished() const {
    const ReportLayout* layout = started_.load(std::memory_order_acquire);
    return layout && layout->Finished();
}

void ReportRenderer::CheckPage(int number) const {
    if (number < 1 || number > PageCount())
        throw Exception(QStringLiteral("O relatório não tem a página %1.").arg(number));
}

// A device whose paper is not the report's gets the pages scaled down to
// fit, so that every page holds what the preview shows on it.
void ReportRenderer::Render(QPagedPaintDevice& device, int first, int last,
                            const std::function<void(int page)>& progress) const {
    CheckPage(first);
    CheckPage(last);
    const int pages = Finished() ? PageCount() : 0;
    QPainter painter;
    if (!painter.begin(&device))
        throw Exception(QStringLiteral("Não foi possível iniciar a impressão do relatório."));
    const QRectF ours = PageLayout().paintRect(QPageLayout::Millimeter);
    const QRectF theirs = device.pageLayout().paintRect(QPageLayout::Millimeter);
    const double scale = std::min({1.0, theirs.width() / ours.width(), theirs.height() / ours.height()});
    if (scale < 1.0) painter.scale(scale, scale);
    ReportPainter page(report_, data_, *layout_, parametersLine_, painter, notice_);
    try {
        for (int n = first; n <= last; ++n) {
            if (progress) progress(n);
            if (n > first) device.newPage();
            if ((n - first) % 64 == 63)
                data_.GiveBackMemory();  // what the pages read stays in its file
            page.PaintPage(n - 1, pages);
        }
    } catch (...) {
        // A print job stopped halfway is withdrawn, not sent half-done.
        if (auto* printer = dynamic_cast<QPrinter*>(&device)) printer->abort();
        throw;
    }
    if (!painter.end())
        throw Exception(QStringLiteral("Não foi possível concluir a impressão do relatório."));
}

void ReportRenderer::Render(QPagedPaintDevice& device,
                            const std::function<void(int page, int pages)>& progress) const {
    const int pages = PageCount();
    Render(device, 1, pages, [&](int page) {
        if (progress) progress(page, pages);
    });
}

ReportRenderer::RowPlace ReportRenderer::PlaceOfRow(qsizetype row) const {
    const ReportLayout* layout = started_.load(std::memory_order_acquire);
    if (!layout) return {};
    return OnSheet(layout->PlaceOfRow(row), ReportLayout::LineKind::Row);
}

int ReportRenderer::GroupCount() const {
    const ReportLayout* layout = started_.load(std::memory_order_acquire);
    return layout ? layout->GroupCount() : 0;
}

QString ReportRenderer::GroupName(int group) const {
    const ReportLayout* layout = started_.load(std::memory_order_acquire);
    return layout && group >= 0 && group < layout->GroupCount() ? PageText(layout->GroupName(group)) : QString();
}

ReportRenderer::RowPlace ReportRenderer::PlaceOfGroup(int group) const {
    const ReportLayout* layout = started_.load(std::memory_order_acquire);
    if (!layout) return {};
    return OnSheet(layout->PlaceOfGroup(group), ReportLayout::LineKind::GroupHeader);
}

ReportRenderer::RowPlace ReportRenderer::OnSheet(const ReportLayout::RowPlace& place,
                                                 ReportLayout::LineKind kind) const {
    if (place.page < 0) return {};
    const QRectF paint = PageLayout().paintRect(QPageLayout::Millimeter);
    return {place.page + 1,
            QRectF(paint.left(), paint.top() + place.top, paint.width(), ReportLayout::LineHeight(kind))};
}

QImage ReportRenderer::PageImage(int number, int dpi) const {
    CheckPage(number);
    const QPageLayout layout = PageLayout();
    QImage image(layout.fullRectPixels(dpi).size(), QImage::Format_RGB32);
    const int dotsPerMeter = qRound(dpi / 0.0254);
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(layout.paintRectPixels(dpi).topLeft());
    ReportPainter(report_, data_, *layout_, parametersLine_, painter, notice_)
        .PaintPage(number - 1, Finished() ? PageCount() : 0);
    // Paging through a large report leaves nothing of it in memory.
    data_.GiveBackMemory();
    return image;
}

PageComposer ReportRenderer::Composer() const {
    if (!layout_) throw Exception(QStringLiteral("O relatório ainda não tem páginas."));
    return {report_, data_, *layout_, parametersLine_, notice_};
}
