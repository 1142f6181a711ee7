#include "ReportRenderer.h"

#include <QDate>
#include <QDateTime>
#include <QFont>
#include <QFontMetricsF>
#include <QLocale>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <cmath>
#include <numeric>

#include "DateUtils.h"
#include "SysUtils.h"

namespace {

// Page furniture, in millimetres.
constexpr double kMargin = 12;
constexpr double kTitleHeight = 9;
constexpr double kParametersHeight = 9;
constexpr double kGap = 2;
constexpr double kColumnHeaderHeight = 6.5;
constexpr double kFooterHeight = 8;
constexpr double kPadding = 1;

const QLocale& Brazil() {
    static const QLocale locale(QLocale::Portuguese, QLocale::Brazil);
    return locale;
}

QDate IsoDate(const QString& text) {
    return QDate::fromString(text.left(10), QStringLiteral("yyyy-MM-dd"));
}

QString DateText(const QVariant& value) {
    const QDate date = value.typeId() == QMetaType::QDate       ? value.toDate()
                       : value.typeId() == QMetaType::QDateTime ? value.toDateTime().date()
                                                                : IsoDate(value.toString());
    return date.isValid() ? DateToStr(FromQDate(date)) : value.toString();
}

QString DateTimeText(const QVariant& value) {
    if (value.typeId() == QMetaType::QDateTime)
        return DateText(value) + value.toDateTime().time().toString(QStringLiteral(" HH:mm"));
    const QString text = value.toString();
    const QString time = text.mid(11, 5);
    return time.size() == 5 ? DateText(value) + u' ' + time : DateText(value);
}

QString NumberText(const QVariant& value, bool decimals) {
    bool ok = false;
    // Whole numbers as they are: through a double, the largest 64-bit ones
    // would lose their last digits or, rounded, overflow.
    if (!decimals && value.typeId() == QMetaType::LongLong) return Brazil().toString(value.toLongLong());
    const double number = value.toDouble(&ok);
    if (!ok) return value.toString();
    if (decimals || std::abs(number) >= 9.2e18) return Brazil().toString(number, 'f', decimals ? 2 : 0);
    return Brazil().toString(static_cast<qlonglong>(std::llround(number)));
}

QFont ReportFont(double points, bool bold = false) {
    QFont font(QStringLiteral("Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

Qt::Alignment ColumnAlignment(int alignment) {
    return alignment == 1 ? Qt::AlignRight : alignment == 2 ? Qt::AlignHCenter : Qt::AlignLeft;
}

}  // namespace

QString FormatReportValue(const QVariant& value, const QString& format) {
    if (value.isNull()) return QString();
    if (format == QLatin1String("date")) return DateText(value);
    if (format == QLatin1String("datetime")) return DateTimeText(value);
    if (format == QLatin1String("integer")) return NumberText(value, false);
    if (format == QLatin1String("float2")) return NumberText(value, true);
    return value.toString();
}

// Paints one page at a time, converting millimetres to device pixels.
class ReportRenderer::Painter {
public:
    // The painter's origin is the top left corner of the layout's paint rect.
    Painter(const ReportRenderer& owner, QPainter& painter, const QPageLayout& layout)
        : r_(owner), p_(painter), dotsPerMm_(painter.device()->logicalDpiY() / 25.4) {
        const QRectF area = layout.paintRect(QPageLayout::Millimeter);
        width_ = area.width();
        height_ = area.height();
        const double wanted =
            std::accumulate(r_.report_.columns.begin(), r_.report_.columns.end(), 0.0,
                            [](double sum, const ReportColumn& c) { return sum + c.width; });
        const double scale = std::min(1.0, width_ / wanted);
        double x = 0;
        for (const ReportColumn& column : r_.report_.columns) {
            left_.push_back(x);
            x += column.width * scale;
            widths_.push_back(column.width * scale);
        }
    }

    void PaintPage(const Page& page, int number, int pages) {
        double y = PaintHeader();
        if (page.continuedGroup >= 0) {
            GroupHeader(y, page.continuedGroup, true);
            y += LineHeight(LineKind::GroupHeader);
        }
        for (int index : page.lines) {
            PaintLine(r_.lines_[static_cast<size_t>(index)], y);
            y += LineHeight(r_.lines_[static_cast<size_t>(index)].kind);
        }
        PaintFooter(number, pages);
    }

private:
    QRectF Mm(double x, double y, double w, double h) const {
        return {x * dotsPerMm_, y * dotsPerMm_, w * dotsPerMm_, h * dotsPerMm_};
    }
    void Text(const QRectF& mm, const QString& text, Qt::Alignment alignment, const QFont& font) {
        p_.setFont(font);
        const QRectF box = Mm(mm.x() + kPadding, mm.y(), mm.width() - 2 * kPadding, mm.height());
        const QString shown =
            QFontMetricsF(font, p_.device()).elidedText(text, Qt::ElideRight, box.width());
        p_.drawText(box, static_cast<int>(alignment | Qt::AlignVCenter), shown);
    }
    void Rule(double y, double thickness = 0.2) {
        p_.setPen(QPen(Qt::black, thickness * dotsPerMm_));
        p_.drawLine(QPointF(0, y * dotsPerMm_), QPointF(width_ * dotsPerMm_, y * dotsPerMm_));
    }

    double PaintHeader() {
        Text({0, 0, width_, kTitleHeight}, r_.report_.title, Qt::AlignLeft, ReportFont(13, true));
        double y = kTitleHeight;
        if (!r_.parametersLine_.isEmpty()) {
            p_.setFont(ReportFont(8.5));
            p_.drawText(Mm(kPadding, y, width_ - 2 * kPadding, kParametersHeight),
                        Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, r_.parametersLine_);
            y += kParametersHeight;
        }
        y += kGap;
        const auto& columns = r_.report_.columns;
        for (qsizetype c = 0; c < columns.size(); ++c)
            Text({left_[c], y, widths_[c], kColumnHeaderHeight}, columns[c].header,
                 ColumnAlignment(columns[c].alignment), ReportFont(9, true));
        Rule(y + kColumnHeaderHeight, 0.3);
        return y + kColumnHeaderHeight + 0.5;
    }

    void PaintLine(const Line& line, double y) {
        switch (line.kind) {
            case LineKind::GroupHeader:
                return GroupHeader(y, line.group, false);
            case LineKind::Row:
                return Row(y, r_.data_.rows[line.row]);
            case LineKind::GroupTotal:
                return Totals(y,
                              QStringLiteral("Total %1")
                                  .arg(r_.groups_[static_cast<size_t>(line.group)].value),
                              r_.groups_[static_cast<size_t>(line.group)].totals, 0.2);
            case LineKind::GrandTotal:
                return Totals(y, QStringLiteral("Total geral"), r_.grandTotals_, 0.4);
            case LineKind::Empty:
                return Text(
                    {0, y, width_, LineHeight(line.kind)},
                    QStringLiteral("Nenhum registro encontrado para os parâmetros informados."),
                    Qt::AlignLeft, ReportFont(9));
        }
    }

    void GroupHeader(double y, int group, bool continued) {
        QString text = QStringLiteral("%1: %2").arg(GroupLabel(),
                                                    r_.groups_[static_cast<size_t>(group)].value);
        if (continued) text += QStringLiteral(" (continuação)");
        Text({0, y + 1, width_, LineHeight(LineKind::GroupHeader) - 1}, text, Qt::AlignLeft,
             ReportFont(9.5, true));
    }

    QString GroupLabel() const {
        for (const ReportColumn& column : r_.report_.columns)
            if (column.fieldName.compare(r_.report_.groupField, Qt::CaseInsensitive) == 0)
                return column.header;
        const QString field = r_.report_.groupField.toLower();
        return field.left(1).toUpper() + field.mid(1);
    }

    void Row(double y, const QVariantList& row) {
        const auto& columns = r_.report_.columns;
        for (qsizetype c = 0; c < columns.size(); ++c)
            Text({left_[c], y, widths_[c], LineHeight(LineKind::Row)},
                 FormatReportValue(row[r_.fieldOf_[c]], columns[c].format),
                 ColumnAlignment(columns[c].alignment), ReportFont(8.5));
    }

    void Totals(double y, const QString& label, const std::vector<double>& totals, double rule) {
        Rule(y + 0.3, rule);
        const auto& columns = r_.report_.columns;
        const double height = LineHeight(LineKind::GroupTotal);
        qsizetype firstTotal = 0;
        while (firstTotal < columns.size() && !columns[firstTotal].total) ++firstTotal;
        const double labelWidth =
            firstTotal < columns.size() && firstTotal > 0 ? left_[firstTotal] : width_;
        Text({0, y, labelWidth, height}, label, Qt::AlignLeft, ReportFont(8.5, true));
        for (qsizetype c = firstTotal; c < columns.size(); ++c) {
            if (!columns[c].total) continue;
            const QString format =
                columns[c].format == QLatin1String("float2") ? "float2" : "integer";
            Text({left_[c], y, widths_[c], height}, FormatReportValue(totals[c], format),
                 ColumnAlignment(columns[c].alignment), ReportFont(8.5, true));
        }
    }

    void PaintFooter(int number, int pages) {
        const double y = height_ - kFooterHeight;
        Rule(y + 1);
        const QFont font = ReportFont(8);
        Text({0, y + 1, width_ / 2, kFooterHeight - 1}, r_.report_.code, Qt::AlignLeft, font);
        Text({width_ / 2, y + 1, width_ / 2, kFooterHeight - 1},
             QStringLiteral("Página %1 de %2").arg(number).arg(pages), Qt::AlignRight, font);
    }

    const ReportRenderer& r_;
    QPainter& p_;
    double dotsPerMm_;
    double width_ = 0;
    double height_ = 0;
    std::vector<double> left_;
    std::vector<double> widths_;
};

ReportRenderer::ReportRenderer(const ReportDefinition& report, const ReportData& data,
                               QString parametersLine)
    : report_(report), data_(data), parametersLine_(std::move(parametersLine)) {
    MapFields();
    BuildLines();
}

void ReportRenderer::MapFields() {
    for (const ReportColumn& column : report_.columns) {
        const int index = data_.FieldIndex(column.fieldName);
        if (index < 0)
            throw Exception(
                QStringLiteral(
                    "O campo '%1' da coluna '%2' não está no resultado da consulta do relatório.")
                    .arg(column.fieldName, column.header));
        fieldOf_.push_back(index);
    }
    if (report_.groupField.isEmpty()) return;
    groupOf_ = data_.FieldIndex(report_.groupField);
    if (groupOf_ < 0)
        throw Exception(
            QStringLiteral("O campo de grupo '%1' não está no resultado da consulta do relatório.")
                .arg(report_.groupField));
}

void ReportRenderer::AddToTotals(int row, std::vector<double>& totals) const {
    for (size_t c = 0; c < fieldOf_.size(); ++c)
        if (report_.columns[static_cast<qsizetype>(c)].total)
            totals[c] += data_.rows[row][fieldOf_[c]].toDouble();
}

void ReportRenderer::BuildLines() {
    const std::vector<double> zeros(fieldOf_.size(), 0.0);
    grandTotals_ = zeros;
    if (data_.rows.isEmpty()) {
        lines_.push_back({LineKind::Empty});
        return;
    }
    for (int row = 0; row < data_.rows.size(); ++row) {
        if (groupOf_ >= 0) {
            const QString value = data_.rows[row][groupOf_].toString();
            if (groups_.empty() || groups_.back().value != value) {
                if (!groups_.empty())
                    lines_.push_back({LineKind::GroupTotal, -1, int(groups_.size()) - 1});
                groups_.push_back({value, zeros});
                lines_.push_back({LineKind::GroupHeader, -1, int(groups_.size()) - 1});
            }
            AddToTotals(row, groups_.back().totals);
        }
        AddToTotals(row, grandTotals_);
        lines_.push_back({LineKind::Row, row, int(groups_.size()) - 1});
    }
    if (groupOf_ >= 0) lines_.push_back({LineKind::GroupTotal, -1, int(groups_.size()) - 1});
    lines_.push_back({LineKind::GrandTotal});
}

double ReportRenderer::HeaderHeight() const {
    return kTitleHeight + (parametersLine_.isEmpty() ? 0 : kParametersHeight) + kGap +
           kColumnHeaderHeight + 0.5;
}

double ReportRenderer::LineHeight(LineKind kind) {
    switch (kind) {
        case LineKind::GroupHeader:
            return 7;
        case LineKind::Row:
            return 4.6;
        case LineKind::GroupTotal:
            return 6;
        case LineKind::GrandTotal:
            return 7;
        case LineKind::Empty:
            return 8;
    }
    return 5;
}

// A group header never ends a page alone; a page that starts inside a group
// repeats its header.
std::vector<ReportRenderer::Page> ReportRenderer::Paginate(const QPageLayout& layout) const {
    const double body =
        layout.paintRect(QPageLayout::Millimeter).height() - HeaderHeight() - kFooterHeight;
    std::vector<Page> pages(1);
    double used = 0;
    for (size_t i = 0; i < lines_.size(); ++i) {
        const Line& line = lines_[i];
        const double height = LineHeight(line.kind);
        const double needed =
            height + (line.kind == LineKind::GroupHeader ? LineHeight(LineKind::Row) : 0);
        if (used + needed > body && !pages.back().lines.empty()) {
            Page next;
            const bool inGroup = line.kind == LineKind::Row || line.kind == LineKind::GroupTotal;
            next.continuedGroup = inGroup ? line.group : -1;
            used = next.continuedGroup >= 0 ? LineHeight(LineKind::GroupHeader) : 0;
            pages.push_back(next);
        }
        pages.back().lines.push_back(static_cast<int>(i));
        used += height;
    }
    return pages;
}

QPageLayout ReportRenderer::PageLayout() const {
    double wanted = 0;
    for (const ReportColumn& column : report_.columns) wanted += column.width;
    const QPageSize a4(QPageSize::A4);
    const bool upright = wanted <= a4.size(QPageSize::Millimeter).width() - 2 * kMargin;
    return QPageLayout(a4, upright ? QPageLayout::Portrait : QPageLayout::Landscape,
                       QMarginsF(kMargin, kMargin, kMargin, kMargin), QPageLayout::Millimeter);
}

int ReportRenderer::PageCount(const QPageLayout& layout) const {
    return static_cast<int>(Paginate(layout).size());
}

void ReportRenderer::Render(QPagedPaintDevice& device,
                            const std::function<void(int page, int pages)>& progress) const {
    const std::vector<Page> pages = Paginate(device.pageLayout());
    const int count = static_cast<int>(pages.size());
    QPainter painter;
    if (!painter.begin(&device))
        throw Exception(QStringLiteral("Não foi possível iniciar a impressão do relatório."));
    Painter page(*this, painter, device.pageLayout());
    for (int n = 0; n < count; ++n) {
        if (progress) progress(n + 1, count);
        if (n > 0) device.newPage();
        page.PaintPage(pages[static_cast<size_t>(n)], n + 1, count);
    }
    if (!painter.end())
        throw Exception(QStringLiteral("Não foi possível concluir a impressão do relatório."));
}

QImage ReportRenderer::PageImage(const QPageLayout& layout, int number, int dpi) const {
    const std::vector<Page> pages = Paginate(layout);
    const int count = static_cast<int>(pages.size());
    if (number < 1 || number > count)
        throw Exception(QStringLiteral("O relatório não tem a página %1.").arg(number));
    QImage image(layout.fullRectPixels(dpi).size(), QImage::Format_RGB32);
    const int dotsPerMeter = qRound(dpi / 0.0254);
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(layout.paintRectPixels(dpi).topLeft());
    Painter(*this, painter, layout).PaintPage(pages[static_cast<size_t>(number - 1)], number, count);
    return image;
}
