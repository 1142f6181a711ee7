#include "ReportPainter.h"

#include <QPaintDevice>
#include <QPainter>

void PaintPageCommands(const PageCommands& page, QPainter& painter) {
    const double dotsPerMm = painter.device()->logicalDpiY() / 25.4;
    for (const PageCommands::Line& line : page.lines) {
        painter.setPen(QPen(Qt::black, line.thickness * dotsPerMm));
        painter.drawLine(QPointF(line.x1 * dotsPerMm, line.y1 * dotsPerMm),
                         QPointF(line.x2 * dotsPerMm, line.y2 * dotsPerMm));
    }
    painter.setPen(Qt::black);
    // Fonts made once a page, set only when the run's differs.
    std::array<QFont, kPageFonts> fonts;
    std::array<bool, kPageFonts> made{};
    int current = -1;
    for (const PageCommands::Run& run : page.runs) {
        const int role = static_cast<int>(run.font);
        if (role != current) {
            if (!made[role]) fonts[role] = PageQFont(run.font);
            made[role] = true;
            painter.setFont(fonts[role]);
            current = role;
        }
        painter.drawText(QPointF(run.x * dotsPerMm, run.y * dotsPerMm), run.text);
    }
}

ReportPainter::ReportPainter(const ReportDefinition& report, const ReportData& data, const ReportLayout& layout,
                             const QString& parametersLine, QPainter& painter, const QString& notice)
    : composer_(report, data, layout, parametersLine, notice), p_(painter) {}

void ReportPainter::PaintPage(int page, int pages) { PaintPageCommands(composer_.Compose(page, pages), p_); }
