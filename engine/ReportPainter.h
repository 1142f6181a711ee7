#pragma once

#include <QFont>
#include <QString>
#include <array>

#include "HostExport.h"
#include "PageCommands.h"

class QPainter;

// Draws a page's commands on a painter whose origin is the top left corner
// of the page's paint rect, converting millimetres to the device's pixels:
// the screen, the printer and PageImage.
HOST_EXPORT void PaintPageCommands(const PageCommands& page, QPainter& painter);

// Paints complete pages of a report on one painter (PageComposer's pages,
// drawn by PaintPageCommands).
class ReportPainter {
public:
    ReportPainter(const ReportDefinition& report, const ReportData& data, const ReportLayout& layout,
                  const QString& parametersLine, QPainter& painter, const QString& notice = {});

    // `pages` is the report's page count, or 0 while it is not known.
    void PaintPage(int page, int pages);

private:
    PageComposer composer_;
    QPainter& p_;
};
