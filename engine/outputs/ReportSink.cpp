#include "ReportSink.h"

#include <QDate>
#include <algorithm>
#include <charconv>

#include "SysUtils.h"

namespace {

// The number of `count` digits at `from`; -1 when one is no digit.
int Digits(std::string_view text, std::size_t from, std::size_t count) {
    int value = 0;
    for (std::size_t i = from; i < from + count; ++i) {
        if (text[i] < '0' || text[i] > '9') return -1;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

// 'yyyy-mm-dd', optionally followed by ' hh:mm' or 'Thh:mm' and ':ss' (a
// fraction of a second is dropped, as the page does); nothing else after it.
bool ReadIsoDate(std::string_view text, ExportValue& value) {
    if (text.size() < 10 || text[4] != '-' || text[7] != '-') return false;
    value.year = Digits(text, 0, 4);
    value.month = Digits(text, 5, 2);
    value.day = Digits(text, 8, 2);
    if (value.year < 1 || !QDate::isValid(value.year, value.month, value.day)) return false;
    if (text.size() == 10) return true;
    if (text.size() < 16 || (text[10] != ' ' && text[10] != 'T') || text[13] != ':') return false;
    value.hour = Digits(text, 11, 2);
    value.minute = Digits(text, 14, 2);
    if (text.size() >= 19 && text[16] == ':')
        value.second = Digits(text, 17, 2);
    else if (text.size() != 16)
        return false;
    if (text.size() > 19 && text[19] != '.') return false;
    value.hasTime = true;
    return value.hour >= 0 && value.hour < 24 && value.minute >= 0 && value.minute < 60 &&
           value.second >= 0 && value.second < 60;
}

bool ReadNumber(std::string_view text, ExportValue& value) {
    const char* end = text.data() + text.size();
    auto whole = std::from_chars(text.data(), end, value.integer);
    if (whole.ec == std::errc() && whole.ptr == end) {
        value.kind = ExportValue::Kind::Integer;
        return true;
    }
    auto real = std::from_chars(text.data(), end, value.real);
    if (real.ec != std::errc() || real.ptr != end) return false;
    value.kind = ExportValue::Kind::Real;
    return true;
}

}  // namespace

ReportSinkStart ReportSinkStart::For(const ReportDefinition& report, const QStringList& fields) {
    ReportSinkStart start;
    start.report = report;
    for (const ReportColumn& column : report.columns) {
        const auto found = std::find_if(fields.begin(), fields.end(), [&](const QString& field) {
            return field.compare(column.fieldName, Qt::CaseInsensitive) == 0;
        });
        const int index = found == fields.end() ? -1 : static_cast<int>(found - fields.begin());
        if (index < 0)
            throw Exception(
                QStringLiteral("A coluna %1 do relatório %2 não está no resultado da consulta.")
                    .arg(column.fieldName, report.title));
        start.cellOf << index;
    }
    start.made = QDateTime::currentDateTime();
    return start;
}

ExportValue ExportValue::Of(const ReportCell& cell, ReportFormat format) {
    ExportValue value;
    switch (cell.type) {
        case ReportCell::Type::Null:
            return value;
        case ReportCell::Type::Integer:
            value.kind = Kind::Integer;
            value.integer = cell.integer;
            return value;
        case ReportCell::Type::Real:
            value.kind = Kind::Real;
            value.real = cell.real;
            return value;
        default:
            break;
    }
    value.text = cell.Text();
    const bool dates = format == ReportFormat::Date || format == ReportFormat::DateTime;
    const bool numbers = format == ReportFormat::Integer || format == ReportFormat::Float2;
    if (dates && ReadIsoDate(value.text, value)) {
        value.kind = Kind::Date;
        return value;
    }
    value.hasTime = false;
    value.hour = value.minute = value.second = 0;
    if (numbers && ReadNumber(value.text, value)) return value;
    value.kind = Kind::Text;
    return value;
}
