#pragma once

#include <QFont>
#include <QFontMetricsF>
#include <QString>
#include <array>
#include <cstdint>
#include <vector>

#include "HostExport.h"
#include "ReportData.h"
#include "ReportDefinition.h"
#include "ReportFormat.h"
#include "ReportLayout.h"

// What a page shows of `text`: at most kMaxCellChars characters, then "…".
HOST_EXPORT QString PageText(const QString& text);

// The fonts of a page, by what they show.
enum class PageFont : std::uint8_t { Title, Parameters, ColumnHeader, GroupHeading, Row, TotalRow, Footer };
constexpr int kPageFonts = 7;

struct PageFontSize {
    double points;
    bool bold;
};
HOST_EXPORT PageFontSize PageFontSizeOf(PageFont font);
// The font of `font` for Qt: the system's "Sans Serif" (DejaVu Sans).
HOST_EXPORT QFont PageQFont(PageFont font);

// One page of a report as drawing commands, everything already measured,
// elided and aligned: every painter (the screen, a printer, a PDF) draws
// the same texts at the same places. Millimetres from the top left corner of
// the page's paint rect.
struct PageCommands {
    struct Run {
        QString text;
        double x;  // where the text starts
        double y;  // its baseline
        PageFont font;
    };
    struct Line {
        double x1, y1, x2, y2;
        double thickness;  // square ends, as Qt's default pen
    };
    std::vector<Run> runs;
    std::vector<Line> lines;
};

// Makes the commands of complete pages of a report. Fonts and their metrics
// are made once, the metrics taken at a high resolution, so that a text fits
// its box alike at every zoom, on paper and in a PDF; a text is shaped and
// measured only when the sum of its characters' advances says it might not
// fit its box (or to align it right or centred), and elided only when it
// does not fit. One composer for each thread that makes pages.
class HOST_EXPORT PageComposer {
public:
    PageComposer(const ReportDefinition& report, const ReportData& data, const ReportLayout& layout,
                 const QString& parametersLine, const QString& notice = {});

    // Page `page` (from 0); `pages` is the report's page count, or 0 while
    // it is not known.
    PageCommands Compose(int page, int pages);

private:
    struct Font {
        QFontMetricsF metrics;
        // The advances of the Latin-1 characters met so far (-1: not yet).
        std::array<float, 256> advances;
    };
    // Texts are measured at this resolution.
    static constexpr int kMeasuringDpi = 1200;
    static constexpr double kMmPerDot = 25.4 / kMeasuringDpi;

    static double AdvancesSum(Font& font, const QString& text);
    void Text(double x, double y, double w, double h, const QString& unbounded, Qt::Alignment alignment,
              PageFont role);
    void Rule(double y, double thickness = 0.2);
    double Header();
    void ParametersLines(double y);
    void Line(const ReportLayout::Line& line, double y);
    void GroupHeader(double y, int group, bool continued);
    QString GroupLabel() const;
    QString GroupName(int group) const;
    void Row(double y, qsizetype row);
    void Totals(double y, const QString& label, int group, double rule);
    void Footer(int number, int pages);

    const ReportDefinition& report_;
    const ReportData& data_;
    const ReportLayout& layout_;
    QString parametersLine_;
    QString notice_;  // on every page, at the right of the title
    double width_ = 0;
    double height_ = 0;
    std::vector<double> left_;
    std::vector<double> widths_;
    std::vector<ReportFormat> formats_;
    std::vector<Font> fonts_;
    QString groupLabel_;
    std::vector<PageCommands::Run> parameterRuns_;  // the same on every page
    PageCommands page_;
};
