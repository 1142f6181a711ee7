#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <vector>

#include "HostExport.h"
#include "ReportData.h"
#include "ReportDefinition.h"
#include "ReportFormat.h"

// Finds a text in the rows of a report, as its pages show them (each
// column's format, dates and numbers included), without regard to case or
// accents. It searches every row read so far, whether its page was painted
// or not, and goes on with the rows that arrive (RowsArrived) while the report
// is still being read. The search runs in slices on the calling thread, so a
// report of a million rows does not freeze its window; each row's texts are
// folded once per search. A row counts once however many of its columns hold
// the text; group headings and totals are not searched.
class HOST_EXPORT ReportFind : public QObject {
    Q_OBJECT
public:
    // The longest text searched for: a longer one is cut where it is typed.
    static constexpr int kMaxText = 200;

    // `data` may be filled by another thread meanwhile: only its published
    // rows are read.
    ReportFind(const ReportDefinition& report, const ReportData& data, QObject* parent = nullptr);

    // For comparison: decomposed, combining marks dropped, case folded
    // ("LIMPÉZA" and "limpeza" fold alike).
    static QString Fold(const QString& text);

    // A new search; a text that folds to nothing (blank, or only combining
    // marks) finds nothing.
    void Search(const QString& text);
    // More rows were published: searched too, when there is a search.
    void RowsArrived();
    // The rows holding the text, in order, among those searched so far.
    const std::vector<qsizetype>& Matches() const { return matches_; }
    // Rows published but not searched yet.
    bool Searching() const;
    bool HasText() const { return !needle_.isEmpty(); }

signals:
    // Matches() grew, or a new search started.
    void MatchesChanged();

private:
    void Slice();
    bool RowMatches(qsizetype row);

    const ReportDefinition& report_;
    const ReportData& data_;
    std::vector<int> fields_;  // result column of each report column (-1: none)
    std::vector<ReportFormat> formats_;
    QString needle_;
    qsizetype searched_ = 0;
    std::vector<qsizetype> matches_;
    QTimer timer_;
};
