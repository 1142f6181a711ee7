#pragma once

#include <QFont>
#include <QFontMetricsF>
#include <QString>
#include <array>
#include <vector>

#include "HostExport.h"
#include "ReportData.h"
#include "ReportDefinition.h"
#include "ReportLayout.h"
#include "ReportFormat.h"

class QPainter;

// What a page shows of `text`: at most kMaxCellChars characters, then "…".
HOST_EXPORT QString PageText(const QString& text);

// Paints complete pages of a report on one painter, whose origin is the top
// left corner of the page's paint rect, converting millimetres to the
// device's pixels. Fonts and their metrics are made once, the metrics taken
// at a high resolution and scaled to the device, so that a text fits its box
// alike at every zoom and on paper; a text is shaped and measured only when
// the sum of its characters' advances says it might not fit its box (or to
// align it right or centred), and elided only when it does not fit.
class ReportPainter {
public:
    ReportPainter(const ReportDefinition& report, const ReportData& data, const ReportLayout& layout,
                  const QString& parametersLine, QPainter& painter, const QString& notice = {});

    // `pages` is the report's page count, or 0 while it is not known.
    void PaintPage(int page, int pages);

private:
    struct Font {
        QFont font;
        QFontMetricsF metrics;
        // The advances of the Latin-1 characters met so far (-1: not yet).
        std::array<float, 256> advances;
        // From `metrics` (taken at kMeasuringDpi) to the device's pixels.
        double scale;
    };
    // Texts are measured at this resolution, whatever the device's.
    static constexpr int kMeasuringDpi = 1200;
    enum FontRole { Title, Parameters, ColumnHeader, GroupHeading, Row, TotalRow, Footer, kFontRoles };

    Font MakeFont(double points, bool bold) const;
    static double AdvancesSum(Font& font, const QString& text);
    QRectF Mm(double x, double y, double w, double h) const;
    void Text(const QRectF& mm, const QString& text, Qt::Alignment alignment, FontRole role);
    void Rule(double y, double thickness = 0.2);
    double PaintHeader();
    void PaintLine(const ReportLayout::Line& line, double y);
    void GroupHeader(double y, int group, bool continued);
    QString GroupLabel() const;
    QString GroupName(int group) const;
    void PaintRow(double y, qsizetype row);
    void Totals(double y, const QString& label, int group, double rule);
    void PaintFooter(int number, int pages);

    const ReportDefinition& report_;
    const ReportData& data_;
    const ReportLayout& layout_;
    const QString& parametersLine_;
    QString notice_;  // on every page, at the right of the title
    QPainter& p_;
    double dotsPerMm_;
    double width_ = 0;
    double height_ = 0;
    std::vector<double> left_;
    std::vector<double> widths_;
    std::vector<ReportFormat> formats_;
    std::vector<Font> fonts_;
    int currentFont_ = -1;
    QString groupLabel_;
};
