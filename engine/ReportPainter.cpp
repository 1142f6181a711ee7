#include "ReportPainter.h"

#include <QPaintDevice>
#include <QPainter>
#include <algorithm>
#include <numeric>

namespace {

using namespace ReportMm;

Qt::Alignment ColumnAlignment(int alignment) {
    return alignment == 1 ? Qt::AlignRight : alignment == 2 ? Qt::AlignHCenter : Qt::AlignLeft;
}

// A total as a value: exact while it is a whole number a 64-bit integer holds.
ReportCell TotalCell(long double total) {
    ReportCell cell;
    constexpr long double kLimit = 9223372036854775807.0L;
    if (total <= kLimit && total >= -kLimit &&
        total == static_cast<long double>(static_cast<std::int64_t>(total))) {
        cell.type = ReportCell::Type::Integer;
        cell.integer = static_cast<std::int64_t>(total);
    } else {
        cell.type = ReportCell::Type::Real;
        cell.real = static_cast<double>(total);
    }
    return cell;
}

}  // namespace

ReportPainter::ReportPainter(const ReportDefinition& report, const ReportData& data,
                             const ReportLayout& layout, const QString& parametersLine, QPainter& painter,
                             const QString& notice)
    : report_(report),
      data_(data),
      layout_(layout),
      parametersLine_(parametersLine),
      notice_(notice),
      p_(painter),
      dotsPerMm_(painter.device()->logicalDpiY() / 25.4) {
    const QRectF area = layout.PageLayout().paintRect(QPageLayout::Millimeter);
    width_ = area.width();
    height_ = area.height();
    const double wanted = std::accumulate(report.columns.begin(), report.columns.end(), 0.0,
                                          [](double sum, const ReportColumn& c) { return sum + c.width; });
    const double scale = wanted > 0 ? std::min(1.0, width_ / wanted) : 1.0;
    double x = 0;
    for (const ReportColumn& column : report.columns) {
        left_.push_back(x);
        x += column.width * scale;
        widths_.push_back(column.width * scale);
        formats_.push_back(ReportFormatOf(column.format));
    }
    const std::pair<double, bool> fonts[kFontRoles] = {{13, true}, {8.5, false}, {9, true}, {9.5, true},
                                                       {8.5, false}, {8.5, true}, {8, false}};
    for (const auto& [points, bold] : fonts) fonts_.push_back(MakeFont(points, bold));
    groupLabel_ = GroupLabel();
}

ReportPainter::Font ReportPainter::MakeFont(double points, bool bold) const {
    QFont font(QStringLiteral("Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    font.setBold(bold);
    // Measured at a fixed high resolution and scaled to the device: a small
    // screen font's hinted advances are rounded up, so measured on the
    // device at a reduced zoom the hours of a date did not fit their column
    // and came out elided ("10:…") where the PDF shows them whole. Scaled,
    // a text takes the same share of its box at every zoom.
    static const QImage reference = [] {
        QImage image(1, 1, QImage::Format_RGB32);
        image.setDotsPerMeterX(qRound(kMeasuringDpi / 0.0254));
        image.setDotsPerMeterY(qRound(kMeasuringDpi / 0.0254));
        return image;
    }();
    const QFontMetricsF metrics(font, &reference);
    Font made{font, metrics, {}, p_.device()->logicalDpiY() / static_cast<double>(reference.logicalDpiY())};
    made.advances.fill(-1);
    return made;
}

// The width of `text` as its characters' advances add up, without shaping
// it; -1 when it holds a character beyond Latin-1.
double ReportPainter::AdvancesSum(Font& font, const QString& text) {
    double width = 0;
    for (const QChar c : text) {
        const char16_t code = c.unicode();
        if (code > 0xFF) return -1;
        float& advance = font.advances[code];
        if (advance < 0) advance = static_cast<float>(font.metrics.horizontalAdvance(c));
        width += advance;
    }
    return width * font.scale;
}

QRectF ReportPainter::Mm(double x, double y, double w, double h) const {
    return {x * dotsPerMm_, y * dotsPerMm_, w * dotsPerMm_, h * dotsPerMm_};
}

QString PageText(const QString& text) {
    if (text.size() <= static_cast<qsizetype>(kMaxCellChars)) return text;
    qsizetype kept = static_cast<qsizetype>(kMaxCellChars);
    if (text.at(kept - 1).isHighSurrogate()) --kept;
    return text.left(kept) + u'\u2026';
}

void ReportPainter::Text(const QRectF& mm, const QString& unbounded, Qt::Alignment alignment, FontRole role) {
    const QString text = PageText(unbounded);
    Font& font = fonts_[role];
    if (currentFont_ != role) {
        p_.setFont(font.font);
        currentFont_ = role;
    }
    const QRectF box = Mm(mm.x() + kPadding, mm.y(), mm.width() - 2 * kPadding, mm.height());
    // Kerning makes a shaped text a little narrower or wider than the sum.
    const double sum = AdvancesSum(font, text);
    const bool surelyFits = sum >= 0 && sum * 1.05 + 1 <= box.width();
    const bool left = alignment & Qt::AlignLeft;
    const double width = surelyFits && left ? 0 : font.metrics.horizontalAdvance(text) * font.scale;
    const double baseline = box.center().y() + (font.metrics.ascent() - font.metrics.descent()) * font.scale / 2;
    if (width > box.width()) {
        const QString shown = font.metrics.elidedText(text, Qt::ElideRight, box.width() / font.scale);
        return p_.drawText(QPointF(box.left(), baseline), shown);
    }
    const double x = left ? box.left()
                          : alignment & Qt::AlignRight ? box.right() - width
                                                       : box.left() + (box.width() - width) / 2;
    p_.drawText(QPointF(x, baseline), text);
}

void ReportPainter::Rule(double y, double thickness) {
    p_.setPen(QPen(Qt::black, thickness * dotsPerMm_));
    p_.drawLine(QPointF(0, y * dotsPerMm_), QPointF(width_ * dotsPerMm_, y * dotsPerMm_));
}

void ReportPainter::PaintPage(int page, int pages) {
    double y = PaintHeader();
    const int continued = layout_.ContinuedGroup(page);
    if (continued >= 0) {
        GroupHeader(y, continued, true);
        y += ReportLayout::LineHeight(ReportLayout::LineKind::GroupHeader);
    }
    const auto [first, end] = layout_.PageLines(page);
    for (std::size_t index = first; index < end; ++index) {
        const ReportLayout::Line& line = layout_.LineAt(index);
        PaintLine(line, y);
        y += ReportLayout::LineHeight(line.kind);
    }
    PaintFooter(page + 1, pages);
}

double ReportPainter::PaintHeader() {
    double titleWidth = width_;
    if (!notice_.isEmpty()) {
        // The notice is whole; a long title gives way to it.
        const double noticeWidth =
            fonts_[ColumnHeader].metrics.horizontalAdvance(notice_) * fonts_[ColumnHeader].scale / dotsPerMm_ +
            2 * kPadding + 1;
        titleWidth = std::max(0.0, width_ - noticeWidth);
        Text({titleWidth, 0, width_ - titleWidth, kTitleHeight}, notice_, Qt::AlignRight, ColumnHeader);
    }
    Text({0, 0, titleWidth, kTitleHeight}, report_.title, Qt::AlignLeft, Title);
    double y = kTitleHeight;
    if (!parametersLine_.isEmpty()) {
        p_.setFont(fonts_[Parameters].font);
        currentFont_ = Parameters;
        p_.drawText(Mm(kPadding, y, width_ - 2 * kPadding, kParametersHeight),
                    Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, parametersLine_);
        y += kParametersHeight;
    }
    y += kGap;
    for (std::size_t c = 0; c < left_.size(); ++c) {
        const ReportColumn& column = report_.columns[static_cast<qsizetype>(c)];
        Text({left_[c], y, widths_[c], kColumnHeaderHeight}, column.header, ColumnAlignment(column.alignment),
             ColumnHeader);
    }
    Rule(y + kColumnHeaderHeight, 0.3);
    return y + kColumnHeaderHeight + 0.5;
}

void ReportPainter::PaintLine(const ReportLayout::Line& line, double y) {
    using Kind = ReportLayout::LineKind;
    switch (line.kind) {
        case Kind::GroupHeader:
            return GroupHeader(y, line.group, false);
        case Kind::Row:
            return PaintRow(y, line.row);
        case Kind::GroupTotal: {
            return Totals(y, QStringLiteral("Total ") + GroupName(line.group), line.group, 0.2);
        }
        case Kind::GrandTotal:
            return Totals(y, QStringLiteral("Total geral"), -1, 0.4);
        case Kind::Empty:
            return Text({0, y, width_, ReportLayout::LineHeight(line.kind)},
                        QStringLiteral("Nenhum registro encontrado para os parâmetros informados."), Qt::AlignLeft,
                        Row);
    }
}

void ReportPainter::GroupHeader(double y, int group, bool continued) {
    QString text = groupLabel_ + QStringLiteral(": ") + GroupName(group);
    if (continued) text += QStringLiteral(" (continuação)");
    Text({0, y + 1, width_, ReportLayout::LineHeight(ReportLayout::LineKind::GroupHeader) - 1}, text, Qt::AlignLeft,
         GroupHeading);
}

QString ReportPainter::GroupName(int group) const { return layout_.GroupName(group); }

QString ReportPainter::GroupLabel() const {
    for (const ReportColumn& column : report_.columns)
        if (column.fieldName.compare(report_.groupField, Qt::CaseInsensitive) == 0) return column.header;
    const QString field = report_.groupField.toLower();
    return field.left(1).toUpper() + field.mid(1);
}

void ReportPainter::PaintRow(double y, qsizetype row) {
    const auto& fieldOf = layout_.FieldOfColumn();
    const double height = ReportLayout::LineHeight(ReportLayout::LineKind::Row);
    for (std::size_t c = 0; c < left_.size(); ++c)
        Text({left_[c], y, widths_[c], height}, FormatReportCell(data_.Cell(row, fieldOf[c]), formats_[c]),
             ColumnAlignment(report_.columns[static_cast<qsizetype>(c)].alignment), Row);
}

void ReportPainter::Totals(double y, const QString& label, int group, double rule) {
    Rule(y + 0.3, rule);
    const auto& columns = report_.columns;
    const double height = ReportLayout::LineHeight(ReportLayout::LineKind::GroupTotal);
    std::size_t firstTotal = 0;
    while (firstTotal < left_.size() && !columns[static_cast<qsizetype>(firstTotal)].total) ++firstTotal;
    const double labelWidth = firstTotal < left_.size() && firstTotal > 0 ? left_[firstTotal] : width_;
    Text({0, y, labelWidth, height}, label, Qt::AlignLeft, TotalRow);
    for (std::size_t c = firstTotal; c < left_.size(); ++c) {
        const ReportColumn& column = columns[static_cast<qsizetype>(c)];
        if (!column.total) continue;
        const ReportFormat format = formats_[c] == ReportFormat::Float2 ? ReportFormat::Float2 : ReportFormat::Integer;
        Text({left_[c], y, widths_[c], height},
             FormatReportCell(TotalCell(layout_.Total(group, static_cast<int>(c))), format),
             ColumnAlignment(column.alignment), TotalRow);
    }
}

void ReportPainter::PaintFooter(int number, int pages) {
    const double y = height_ - kFooterHeight;
    Rule(y + 1);
    const QString count = pages > 0 ? FormatCount(pages) : QStringLiteral("…");
    Text({0, y + 1, width_ / 2, kFooterHeight - 1}, report_.code, Qt::AlignLeft, Footer);
    Text({width_ / 2, y + 1, width_ / 2, kFooterHeight - 1}, QStringLiteral("Página %1 de %2").arg(FormatCount(number), count),
         Qt::AlignRight, Footer);
}
