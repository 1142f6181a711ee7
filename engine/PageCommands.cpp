#include "PageCommands.h"

#include <QImage>
#include <QTextLayout>
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

// The device texts are measured on: a small screen font's hinted advances
// are rounded up, so measured on the device at a reduced zoom the hours of a
// date did not fit their column and came out elided ("10:…") where the PDF
// shows them whole. Measured at one high resolution, a text takes the same
// share of its box at every zoom and in every output.
const QImage& MeasuringDevice(int dpi) {
    static const QImage reference = [dpi] {
        QImage image(1, 1, QImage::Format_RGB32);
        image.setDotsPerMeterX(qRound(dpi / 0.0254));
        image.setDotsPerMeterY(qRound(dpi / 0.0254));
        return image;
    }();
    return reference;
}

}  // namespace

PageFontSize PageFontSizeOf(PageFont font) {
    static constexpr PageFontSize kSizes[kPageFonts] = {{13, true}, {8.5, false}, {9, true}, {9.5, true},
                                                        {8.5, false}, {8.5, true}, {8, false}};
    return kSizes[static_cast<int>(font)];
}

QFont PageQFont(PageFont role) {
    QFont font(QStringLiteral("Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(PageFontSizeOf(role).points);
    font.setBold(PageFontSizeOf(role).bold);
    return font;
}

QString PageText(const QString& text) {
    if (text.size() <= static_cast<qsizetype>(kMaxCellChars)) return text;
    qsizetype kept = static_cast<qsizetype>(kMaxCellChars);
    if (text.at(kept - 1).isHighSurrogate()) --kept;
    return text.left(kept) + u'\u2026';
}

PageComposer::PageComposer(const ReportDefinition& report, const ReportData& data, const ReportLayout& layout,
                           const QString& parametersLine, const QString& notice)
    : report_(report), data_(data), layout_(layout), parametersLine_(parametersLine), notice_(notice) {
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
    for (int role = 0; role < kPageFonts; ++role) {
        Font font{QFontMetricsF(PageQFont(static_cast<PageFont>(role)), &MeasuringDevice(kMeasuringDpi)), {}};
        font.advances.fill(-1);
        fonts_.push_back(font);
    }
    groupLabel_ = GroupLabel();
    if (!parametersLine_.isEmpty()) ParametersLines(kTitleHeight);
}

// The width of `text` as its characters' advances add up, without shaping
// it, in measuring dots; -1 when it holds a character beyond Latin-1.
double PageComposer::AdvancesSum(Font& font, const QString& text) {
    double width = 0;
    for (const QChar c : text) {
        const char16_t code = c.unicode();
        if (code > 0xFF) return -1;
        float& advance = font.advances[code];
        if (advance < 0) advance = static_cast<float>(font.metrics.horizontalAdvance(c));
        width += advance;
    }
    return width;
}

void PageComposer::Text(double x, double y, double w, double h, const QString& unbounded, Qt::Alignment alignment,
                        PageFont role) {
    QString text = PageText(unbounded);
    Font& font = fonts_[static_cast<int>(role)];
    const double left = x + kPadding;
    const double box = (w - 2 * kPadding) / kMmPerDot;  // in measuring dots
    // Kerning makes a shaped text a little narrower or wider than the sum.
    const double sum = AdvancesSum(font, text);
    const bool surelyFits = sum >= 0 && sum * 1.05 + 1 <= box;
    const bool leftAligned = alignment & Qt::AlignLeft;
    const double width = surelyFits && leftAligned ? 0 : font.metrics.horizontalAdvance(text);
    const double baseline = y + h / 2 + (font.metrics.ascent() - font.metrics.descent()) * kMmPerDot / 2;
    if (width > box) {
        page_.runs.push_back({font.metrics.elidedText(text, Qt::ElideRight, box), left, baseline, role});
        return;
    }
    const double start = leftAligned                ? left
                         : alignment & Qt::AlignRight ? left + (box - width) * kMmPerDot
                                                      : left + (box - width) * kMmPerDot / 2;
    page_.runs.push_back({std::move(text), start, baseline, role});
}

void PageComposer::Rule(double y, double thickness) { page_.lines.push_back({0, y, width_, y, thickness}); }

PageCommands PageComposer::Compose(int page, int pages) {
    page_ = {};
    double y = Header();
    const int continued = layout_.ContinuedGroup(page);
    if (continued >= 0) {
        GroupHeader(y, continued, true);
        y += ReportLayout::LineHeight(ReportLayout::LineKind::GroupHeader);
    }
    const auto [first, end] = layout_.PageLines(page);
    for (std::size_t index = first; index < end; ++index) {
        const ReportLayout::Line& line = layout_.LineAt(index);
        Line(line, y);
        y += ReportLayout::LineHeight(line.kind);
    }
    Footer(page + 1, pages);
    return std::move(page_);
}

double PageComposer::Header() {
    double titleWidth = width_;
    if (!notice_.isEmpty()) {
        // The notice is whole; a long title gives way to it.
        const double noticeWidth =
            fonts_[static_cast<int>(PageFont::ColumnHeader)].metrics.horizontalAdvance(notice_) * kMmPerDot +
            2 * kPadding + 1;
        titleWidth = std::max(0.0, width_ - noticeWidth);
        Text(titleWidth, 0, width_ - titleWidth, kTitleHeight, notice_, Qt::AlignRight, PageFont::ColumnHeader);
    }
    Text(0, 0, titleWidth, kTitleHeight, report_.title, Qt::AlignLeft, PageFont::Title);
    double y = kTitleHeight;
    if (!parametersLine_.isEmpty()) {
        page_.runs.insert(page_.runs.end(), parameterRuns_.begin(), parameterRuns_.end());
        y += kParametersHeight;
    }
    y += kGap;
    for (std::size_t c = 0; c < left_.size(); ++c) {
        const ReportColumn& column = report_.columns[static_cast<qsizetype>(c)];
        Text(left_[c], y, widths_[c], kColumnHeaderHeight, column.header, ColumnAlignment(column.alignment),
             PageFont::ColumnHeader);
    }
    Rule(y + kColumnHeaderHeight, 0.3);
    return y + kColumnHeaderHeight + 0.5;
}

// The parameters line broken at words into the lines its box holds whole,
// from its top: the lines Qt's word wrap makes, as explicit runs.
void PageComposer::ParametersLines(double y) {
    QTextLayout wrapped(parametersLine_, PageQFont(PageFont::Parameters), &MeasuringDevice(kMeasuringDpi));
    QTextOption option(Qt::AlignLeft);
    option.setWrapMode(QTextOption::WordWrap);
    wrapped.setTextOption(option);
    const double width = (width_ - 2 * kPadding) / kMmPerDot;
    const double height = kParametersHeight / kMmPerDot;
    const double leading = fonts_[static_cast<int>(PageFont::Parameters)].metrics.leading();
    wrapped.beginLayout();
    double top = 0;
    for (QTextLine line = wrapped.createLine(); line.isValid(); line = wrapped.createLine()) {
        line.setLineWidth(width);
        line.setPosition(QPointF(0, top));
        if (top + line.height() > height) break;
        const QString text = parametersLine_.mid(line.textStart(), line.textLength()).trimmed();
        parameterRuns_.push_back(
            {text, kPadding + line.x() * kMmPerDot, y + (top + line.ascent()) * kMmPerDot, PageFont::Parameters});
        top += line.height() + std::max(0.0, leading);
    }
    wrapped.endLayout();
}

void PageComposer::Line(const ReportLayout::Line& line, double y) {
    using Kind = ReportLayout::LineKind;
    switch (line.kind) {
        case Kind::GroupHeader:
            return GroupHeader(y, line.group, false);
        case Kind::Row:
            return Row(y, line.row);
        case Kind::GroupTotal:
            return Totals(y, QStringLiteral("Total ") + GroupName(line.group), line.group, 0.2);
        case Kind::GrandTotal:
            return Totals(y, QStringLiteral("Total geral"), -1, 0.4);
        case Kind::Empty:
            return Text(0, y, width_, ReportLayout::LineHeight(line.kind),
                        QStringLiteral("Nenhum registro encontrado para os parâmetros informados."), Qt::AlignLeft,
                        PageFont::Row);
    }
}

void PageComposer::GroupHeader(double y, int group, bool continued) {
    QString text = groupLabel_ + QStringLiteral(": ") + GroupName(group);
    if (continued) text += QStringLiteral(" (continuação)");
    Text(0, y + 1, width_, ReportLayout::LineHeight(ReportLayout::LineKind::GroupHeader) - 1, text, Qt::AlignLeft,
         PageFont::GroupHeading);
}

QString PageComposer::GroupName(int group) const { return layout_.GroupName(group); }

QString PageComposer::GroupLabel() const {
    for (const ReportColumn& column : report_.columns)
        if (column.fieldName.compare(report_.groupField, Qt::CaseInsensitive) == 0) return column.header;
    const QString field = report_.groupField.toLower();
    return field.left(1).toUpper() + field.mid(1);
}

void PageComposer::Row(double y, qsizetype row) {
    const auto& fieldOf = layout_.FieldOfColumn();
    const double height = ReportLayout::LineHeight(ReportLayout::LineKind::Row);
    for (std::size_t c = 0; c < left_.size(); ++c)
        Text(left_[c], y, widths_[c], height, FormatReportCell(data_.Cell(row, fieldOf[c]), formats_[c]),
             ColumnAlignment(report_.columns[static_cast<qsizetype>(c)].alignment), PageFont::Row);
}

void PageComposer::Totals(double y, const QString& label, int group, double rule) {
    Rule(y + 0.3, rule);
    const auto& columns = report_.columns;
    const double height = ReportLayout::LineHeight(ReportLayout::LineKind::GroupTotal);
    std::size_t firstTotal = 0;
    while (firstTotal < left_.size() && !columns[static_cast<qsizetype>(firstTotal)].total) ++firstTotal;
    const double labelWidth = firstTotal < left_.size() && firstTotal > 0 ? left_[firstTotal] : width_;
    Text(0, y, labelWidth, height, label, Qt::AlignLeft, PageFont::TotalRow);
    for (std::size_t c = firstTotal; c < left_.size(); ++c) {
        const ReportColumn& column = columns[static_cast<qsizetype>(c)];
        if (!column.total) continue;
        const ReportFormat format = formats_[c] == ReportFormat::Float2 ? ReportFormat::Float2 : ReportFormat::Integer;
        Text(left_[c], y, widths_[c], height, FormatReportCell(TotalCell(layout_.Total(group, static_cast<int>(c))), format),
             ColumnAlignment(column.alignment), PageFont::TotalRow);
    }
}

void PageComposer::Footer(int number, int pages) {
    const double y = height_ - kFooterHeight;
    Rule(y + 1);
    const QString count = pages > 0 ? FormatCount(pages) : QStringLiteral("…");
    Text(0, y + 1, width_ / 2, kFooterHeight - 1, report_.code, Qt::AlignLeft, PageFont::Footer);
    Text(width_ / 2, y + 1, width_ / 2, kFooterHeight - 1,
         QStringLiteral("Página %1 de %2").arg(FormatCount(number), count), Qt::AlignRight, PageFont::Footer);
}
