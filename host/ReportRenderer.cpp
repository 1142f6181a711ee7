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
#include "ReportPainter.h"
#include "SysUtils.h"

namespace {

const QLocale& Brazil() {
    static const QLocale locale(QLocale::Portuguese, QLocale::Brazil);
    return locale;
}

// "yyyy-mm-dd" at the start of `text` as dd/mm/yyyy; empty when it is no day.
QString IsoDateText(std::string_view text) {
    auto digits = [&](std::size_t from, std::size_t count) {
        int value = 0;
        for (std::size_t i = from; i < from + count; ++i) {
            if (text[i] < '0' || text[i] > '9') return -1;
            value = value * 10 + (text[i] - '0');
        }
        return value;
    };
    if (text.size() < 10 || text[4] != '-' || text[7] != '-') return {};
    TDateTime date = 0;
    const int year = digits(0, 4), month = digits(5, 2), day = digits(8, 2);
    if (year < 0 || month < 0 || day < 0 || !TryEncodeDate(year, month, day, date)) return {};
    return DateToStr(date);
}

// A two-digit number at `from` of `text` below `bound`; -1 when there is none.
int TwoDigits(std::string_view text, std::size_t from, int bound) {
    if (text.size() < from + 2) return -1;
    const char high = text[from], low = text[from + 1];
    if (high < '0' || high > '9' || low < '0' || low > '9') return -1;
    const int value = (high - '0') * 10 + (low - '0');
    return value < bound ? value : -1;
}

// "hh:mm" from "yyyy-mm-dd hh:mm[:ss]..."; empty when nothing follows the
// day; nothing when what follows is no time of day (hours to 23, minutes and
// seconds to 59).
std::optional<QString> IsoTimeText(std::string_view text) {
    if (text.size() == 10) return QString();
    if (text.size() < 16 || (text[10] != ' ' && text[10] != 'T') || text[13] != ':' ||
        TwoDigits(text, 11, 24) < 0 || TwoDigits(text, 14, 60) < 0)
        return std::nullopt;
    if (text.size() > 16 && text[16] == ':' && TwoDigits(text, 17, 60) < 0) return std::nullopt;
    return QString::fromLatin1(text.data() + 11, 5);
}

QString Utf8(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

// A text that is no date, or whose time is no time of day, is shown as it
// came: never as a day or an hour it does not hold.
QString DateCellText(const ReportCell& cell, bool withTime) {
    const std::string_view text = cell.Text();
    const QString date = IsoDateText(text);
    const std::optional<QString> time = IsoTimeText(text);
    if (date.isEmpty() || !time) return Utf8(text);
    return !withTime || time->isEmpty() ? date : date + u' ' + *time;
}

// 1234567 as "1.234.567", exactly, for every 64-bit integer.
QString GroupedInteger(std::int64_t value) {
    char buffer[32];
    char* const end = buffer + sizeof buffer;
    char* at = end;
    std::uint64_t magnitude = value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    int digits = 0;
    do {
        if (digits > 0 && digits % 3 == 0) *--at = '.';
        *--at = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
        ++digits;
    } while (magnitude > 0);
    if (value < 0) *--at = '-';
    return QString::fromLatin1(at, end - at);
}

QString RealText(double number, ReportFormat format) {
    if (format == ReportFormat::Float2) return Brazil().toString(number, 'f', 2);
    if (std::isfinite(number) && std::fabs(number) < 9.2e18) return GroupedInteger(std::llround(number));
    return Brazil().toString(number, 'f', 0);
}

// A text that is no number is shown as it came.
QString NumberText(const ReportCell& cell, ReportFormat format) {
    if (cell.type == ReportCell::Type::Integer)
        return format == ReportFormat::Float2 ? RealText(static_cast<double>(cell.integer), format)
                                              : GroupedInteger(cell.integer);
    if (cell.type == ReportCell::Type::Real) return RealText(cell.real, format);
    // A whole number as it is: through a double, the largest 64-bit ones
    // would lose their last digits.
    const QString text = Utf8(cell.Text());
    bool ok = false;
    const qint64 whole = text.toLongLong(&ok);
    if (ok && format != ReportFormat::Float2) return GroupedInteger(whole);
    const double number = text.toDouble(&ok);
    return ok ? RealText(number, format) : text;
}

QString AsIsText(const ReportCell& cell) {
    switch (cell.type) {
        case ReportCell::Type::Integer:
            return QString::number(cell.integer);
        case ReportCell::Type::Real:
            return QString::number(cell.real, 'g', QLocale::FloatingPointShortest);
        default:
            return Utf8(cell.Text());
    }
}

}  // namespace

ReportFormat ReportFormatOf(const QString& name) {
    if (name == QLatin1String("date")) return ReportFormat::Date;
    if (name == QLatin1String("datetime")) return ReportFormat::DateTime;
    if (name == QLatin1String("integer")) return ReportFormat::Integer;
    if (name == QLatin1String("float2")) return ReportFormat::Float2;
    return ReportFormat::AsIs;
}

QString FormatReportCell(const ReportCell& cell, ReportFormat format) {
    if (cell.type == ReportCell::Type::Null) return QString();
    switch (format) {
        case ReportFormat::Date:
            return DateCellText(cell, false);
        case ReportFormat::DateTime:
            return DateCellText(cell, true);
        case ReportFormat::Integer:
        case ReportFormat::Float2:
            return NumberText(cell, format);
        case ReportFormat::AsIs:
            break;
    }
    return AsIsText(cell);
}

QString FormatCount(qint64 count) { return GroupedInteger(count); }

QString FormatReportValue(const QVariant& value, const QString& format) {
    QByteArray storage;
    return FormatReportCell(ReportCell::FromVariant(value, storage), ReportFormatOf(format));
}

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
    return image;
}
