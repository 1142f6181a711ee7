#pragma once

#include <QString>
#include <QVariant>

#include "HostExport.h"
#include "ReportData.h"

// The formats of report columns: '' (as is), 'date', 'datetime', 'integer'
// (thousands separated) and 'float2'; anything else shows values as they are.
enum class ReportFormat { AsIs, Date, DateTime, Integer, Float2 };
HOST_EXPORT ReportFormat ReportFormatOf(const QString& name);

// A value as the column's format shows it: dates as dd/mm/yyyy (a text that
// is no date as it came), numbers with Brazilian separators (1.234 and
// 1.234,56), exact up to the largest 64-bit integer.
HOST_EXPORT QString FormatReportCell(const ReportCell& cell, ReportFormat format);
HOST_EXPORT QString FormatReportValue(const QVariant& value, ReportFormat format);
// A count as people read it: 1.234.567.
HOST_EXPORT QString FormatCount(qint64 count);
