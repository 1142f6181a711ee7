#include "ReportFind.h"

#include <QElapsedTimer>

#include "ReportPainter.h"

namespace {
// A slice ends after this many rows or milliseconds, whichever comes first,
// so the window keeps answering between slices.
constexpr qsizetype kSliceRows = 5000;
constexpr qint64 kSliceMs = 20;
}  // namespace

ReportFind::ReportFind(const ReportDefinition& report, const ReportData& data, QObject* parent)
    : QObject(parent), report_(report), data_(data) {
    timer_.setInterval(0);
    connect(&timer_, &QTimer::timeout, this, &ReportFind::Slice);
}

QString ReportFind::Fold(const QString& text) {
    const QString decomposed = text.normalized(QString::NormalizationForm_D);
    QString kept;
    kept.reserve(decomposed.size());
    for (const QChar c : decomposed) {
        const QChar::Category category = c.category();
        if (category != QChar::Mark_NonSpacing && category != QChar::Mark_SpacingCombining &&
            category != QChar::Mark_Enclosing)
            kept.append(c);
    }
    return kept.toCaseFolded();
}

void ReportFind::Search(const QString& text) {
    needle_ = Fold(text.left(kMaxText));
    searched_ = 0;
    matches_.clear();
    timer_.stop();
    RowsArrived();
    emit MatchesChanged();
}

void ReportFind::RowsArrived() {
    if (Searching() && !timer_.isActive()) timer_.start();
}

bool ReportFind::Searching() const { return HasText() && searched_ < data_.RowCount(); }

// The fields are mapped at the first row: the data gets them before it, from
// the thread that reads the report.
void ReportFind::Slice() {
    const qsizetype rows = data_.RowCount();
    if (fields_.empty() && rows > 0) {
        for (const ReportColumn& column : report_.columns) {
            fields_.push_back(data_.FieldIndex(column.fieldName));
            formats_.push_back(ReportFormatOf(column.format));
        }
    }
    QElapsedTimer clock;
    clock.start();
    const std::size_t before = matches_.size();
    const qsizetype end = std::min(rows, searched_ + kSliceRows);
    for (; searched_ < end; ++searched_) {
        if (RowMatches(searched_)) matches_.push_back(searched_);
        if ((searched_ & 255) == 255 && clock.elapsed() >= kSliceMs) {
            ++searched_;
            break;
        }
    }
    data_.GiveBackMemory();
    if (!Searching()) timer_.stop();
    if (matches_.size() != before || !Searching()) emit MatchesChanged();
}

bool ReportFind::RowMatches(qsizetype row) {
    for (std::size_t c = 0; c < fields_.size(); ++c) {
        if (fields_[c] < 0) continue;
        const QString shown = PageText(FormatReportCell(data_.Cell(row, fields_[c]), formats_[c]));
        if (Fold(shown).contains(needle_)) return true;
    }
    return false;
}
