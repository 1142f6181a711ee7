#include "ReportLayout.h"

#include <QByteArray>
#include <QPageSize>
#include <QRectF>
#include <QSizeF>

#include "ReportFormat.h"
#include "SysUtils.h"

namespace {

using namespace ReportMm;

// A value as a number to add up: a text that is no number adds nothing.
long double NumberOf(const ReportCell& cell) {
    switch (cell.type) {
        case ReportCell::Type::Integer:
            return static_cast<long double>(cell.integer);
        case ReportCell::Type::Real:
            return cell.real;
        case ReportCell::Type::Text: {
            bool ok = false;
            const double value =
                QByteArray::fromRawData(cell.bytes, static_cast<qsizetype>(cell.size)).toDouble(&ok);
            return ok ? value : 0;
        }
        default:
            return 0;
    }
}

}  // namespace

ReportLayout::ReportLayout(const ReportDefinition& report, const ReportData& data,
                           bool parametersLine)
    : data_(data),
      pageLayout_(PageLayoutFor(report)),
      parametersLine_(parametersLine),
      lines_(data.Spill()),
      rowLines_(data.Spill()) {
    MapFields(report);
    for (const ReportColumn& column : report.columns)
        totalSlot_.push_back(column.total ? static_cast<int>(totalSlots_++) : -1);
    grandTotals_.assign(totalSlots_, 0);
    body_ = pageLayout_.paintRect(QPageLayout::Millimeter).height() - HeaderHeight() - kFooterHeight;
    pages_.PushBack({0, -1});
}

void ReportLayout::MapFields(const ReportDefinition& report) {
    for (const ReportColumn& column : report.columns) {
        const int index = data_.FieldIndex(column.fieldName);
        if (index < 0)
            throw Exception(
                QStringLiteral("O campo '%1' da coluna '%2' não está no resultado da consulta do relatório.")
                    .arg(column.fieldName, column.header));
        fieldOf_.push_back(index);
    }
    if (report.groupField.isEmpty()) return;
    groupField_ = data_.FieldIndex(report.groupField);
    if (groupField_ < 0)
        throw Exception(QStringLiteral("O campo de grupo '%1' não está no resultado da consulta do relatório.")
                            .arg(report.groupField));
}

QPageLayout ReportLayout::PageLayoutFor(const ReportDefinition& report) {
    double wanted = 0;
    for (const ReportColumn& column : report.columns) wanted += column.width;
    const QPageSize a4(QPageSize::A4);
    const bool upright = wanted <= a4.size(QPageSize::Millimeter).width() - 2 * kMargin;
    return QPageLayout(a4, upright ? QPageLayout::Portrait : QPageLayout::Landscape,
                       QMarginsF(kMargin, kMargin, kMargin, kMargin), QPageLayout::Millimeter);
}

double ReportLayout::HeaderHeight() const {
    return kTitleHeight + (parametersLine_ ? kParametersHeight : 0) + kGap + kColumnHeaderHeight + 0.5;
}

double ReportLayout::LineHeight(LineKind kind) {
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

void ReportLayout::LayOutNewRows() {
    const qsizetype rows = data_.RowCount();
    for (; laidOutRows_ < rows; ++laidOutRows_) AddRow(laidOutRows_);
    Publish();
}

void ReportLayout::AddRow(qsizetype row) {
    std::size_t group = groupRows_.Size();
    if (groupField_ >= 0) {
        const bool first = group == 0;
        if (first ||
            !data_.Cell(row, groupField_).SameValue(data_.Cell(groupRows_.At(group - 1), groupField_))) {
            if (!first) AddLine({-1, static_cast<std::int32_t>(group - 1), LineKind::GroupTotal});
            groupRows_.PushBack(row);
            for (std::size_t s = 0; s < totalSlots_; ++s) groupTotals_.PushBack(0);
            AddLine({-1, static_cast<std::int32_t>(group), LineKind::GroupHeader});
            ++group;
        }
        AddToTotals(row, group - 1);
    }
    AddToTotals(row, SIZE_MAX);
    AddLine({static_cast<std::int32_t>(row), static_cast<std::int32_t>(group) - 1, LineKind::Row});
    rowLines_.PushBack(lines_.Size() - 1);
}

void ReportLayout::AddToTotals(qsizetype row, std::size_t group) {
    for (std::size_t c = 0; c < fieldOf_.size(); ++c) {
        const int slot = totalSlot_[c];
        if (slot < 0) continue;
        const long double value = NumberOf(data_.Cell(row, fieldOf_[c]));
        if (group == SIZE_MAX)
            grandTotals_[static_cast<std::size_t>(slot)] += value;
        else
            groupTotals_.At(group * totalSlots_ + static_cast<std::size_t>(slot)) += value;
    }
}

// A group header must have room for a row under it.
void ReportLayout::AddLine(Line line) {
    const double height = LineHeight(line.kind);
    const double needed = height + (line.kind == LineKind::GroupHeader ? LineHeight(LineKind::Row) : 0);
    const bool pageHasLines = lines_.Size() > pages_.At(pages_.Size() - 1).firstLine;
    if (used_ + needed > body_ && pageHasLines) {
        const bool inGroup = line.kind == LineKind::Row || line.kind == LineKind::GroupTotal;
        const std::int32_t continued = inGroup ? line.group : -1;
        pages_.PushBack({lines_.Size(), continued});
        used_ = continued >= 0 ? LineHeight(LineKind::GroupHeader) : 0;
    }
    lines_.PushBack(line);
    used_ += height;
}

void ReportLayout::Publish() {
    groupRows_.Publish();
    rowLines_.Publish();
    groupTotals_.Publish();
    lines_.Publish();
    pages_.Publish();
}

void ReportLayout::Finish() {
    LayOutNewRows();
    if (laidOutRows_ == 0) {
        AddLine({-1, -1, LineKind::Empty});
    } else {
        if (groupField_ >= 0)
            AddLine({-1, static_cast<std::int32_t>(groupRows_.Size()) - 1, LineKind::GroupTotal});
        AddLine({-1, -1, LineKind::GrandTotal});
    }
    Publish();
    finished_.store(true, std::memory_order_release);
}

int ReportLayout::CompletePages() const {
    const bool finished = Finished();
    const auto pages = static_cast<int>(pages_.Published());
    return finished ? pages : std::max(0, pages - 1);
}

std::pair<std::size_t, std::size_t> ReportLayout::PageLines(int page) const {
    const auto index = static_cast<std::size_t>(page);
    const std::size_t first = pages_[index].firstLine;
    const std::size_t end = index + 1 < pages_.Published() ? pages_[index + 1].firstLine : lines_.Published();
    return {first, end};
}

ReportLayout::RowPlace ReportLayout::PlaceOfRow(qsizetype row) const {
    if (row < 0 || static_cast<std::size_t>(row) >= rowLines_.Published()) return {};
    return PlaceOfLine(rowLines_[static_cast<std::size_t>(row)]);
}

int ReportLayout::GroupCount() const { return static_cast<int>(groupRows_.Published()); }

// A group's heading is the line just above its first row (AddRow).
ReportLayout::RowPlace ReportLayout::PlaceOfGroup(int group) const {
    if (group < 0 || group >= GroupCount()) return {};
    const qsizetype row = GroupRow(group);
    if (static_cast<std::size_t>(row) >= rowLines_.Published()) return {};
    return PlaceOfLine(rowLines_[static_cast<std::size_t>(row)] - 1);
}

QString ReportLayout::GroupName(int group) const {
    return FormatReportCell(data_.Cell(GroupRow(group), groupField_), ReportFormat::AsIs);
}

// The page is found by a binary search over the pages' first lines; the
// line's place by adding up the heights above it, as the painter lays them.
ReportLayout::RowPlace ReportLayout::PlaceOfLine(std::size_t line) const {
    const int complete = CompletePages();
    int low = 0;
    int high = complete;  // the page is below `high`, if complete
    while (high - low > 1) {
        const int middle = low + (high - low) / 2;
        if (pages_[static_cast<std::size_t>(middle)].firstLine <= line)
            low = middle;
        else
            high = middle;
    }
    if (complete == 0) return {};
    const auto [first, end] = PageLines(low);
    if (line < first || line >= end) return {};
    double top = HeaderHeight() + (ContinuedGroup(low) >= 0 ? LineHeight(LineKind::GroupHeader) : 0);
    for (std::size_t index = first; index < line; ++index) top += LineHeight(lines_[index].kind);
    return {low, top};
}

long double ReportLayout::Total(int group, int column) const {
    const int slot = totalSlot_[static_cast<std::size_t>(column)];
    if (slot < 0) return 0;
    if (group < 0) return grandTotals_[static_cast<std::size_t>(slot)];
    return groupTotals_[static_cast<std::size_t>(group) * totalSlots_ + static_cast<std::size_t>(slot)];
}
