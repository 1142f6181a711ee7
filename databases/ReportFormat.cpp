#include "ReportFormat.h"

#include <QDate>
#include <QLocale>
#include <cmath>
#include <optional>

#include "DateUtils.h"

namespace {

const QLocale& Brazil() {
    static const QLocale locale(QLocale::Portuguese, QLocale::Brazil);
    return locale;
}

// "yyyy-mm-dd" at the start of `text` as dd/mm/yyyy; empty when it is no day.
QString IsoDateText(std::string_view text) {
    auto digits = [&](std::size_t from, std::size_t count) {
        int value = 0;
        for (std::size_t i = from; i < from + count; ++i) {
            if (text[i] < '0' || text[i] > '9') return -1;
            value = value * 10 + (text[i] - '0');
        }
        return value;
    };
    if (text.size() < 10 || text[4] != '-' || text[7] != '-') return {};
    TDateTime date = 0;
    const int year = digits(0, 4), month = digits(5, 2), day = digits(8, 2);
    if (year < 0 || month < 0 || day < 0 || !TryEncodeDate(year, month, day, date)) return {};
    return DateToStr(date);
}

// A two-digit number at `from` of `text` below `bound`; -1 when there is none.
int TwoDigits(std::string_view text, std::size_t from, int bound) {
    if (text.size() < from + 2) return -1;
    const char high = text[from], low = text[from + 1];
    if (high < '0' || high > '9' || low < '0' || low > '9') return -1;
    const int value = (high - '0') * 10 + (low - '0');
    return value < bound ? value : -1;
}

// "hh:mm" from "yyyy-mm-dd hh:mm[:ss]..."; empty when nothing follows the
// day; nothing when what follows is no time of day (hours to 23, minutes and
// seconds to 59).
std::optional<QString> IsoTimeText(std::string_view text) {
    if (text.size() == 10) return QString();
    if (text.size() < 16 || (text[10] != ' ' && text[10] != 'T') || text[13] != ':' ||
        TwoDigits(text, 11, 24) < 0 || TwoDigits(text, 14, 60) < 0)
        return std::nullopt;
    if (text.size() > 16 && text[16] == ':' && TwoDigits(text, 17, 60) < 0) return std::nullopt;
    return QString::fromLatin1(text.data() + 11, 5);
}

QString Utf8(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

// A text that is no date, or whose time is no time of day, is shown as it
// came: never as a day or an hour it does not hold.
QString DateCellText(const ReportCell& cell, bool withTime) {
    const std::string_view text = cell.Text();
    const QString date = IsoDateText(text);
    const std::optional<QString> time = IsoTimeText(text);
    if (date.isEmpty() || !time) return Utf8(text);
    return !withTime || time->isEmpty() ? date : date + u' ' + *time;
}

// 1234567 as "1.234.567", exactly, for every 64-bit integer.
QString GroupedInteger(std::int64_t value) {
    char buffer[32];
    char* const end = buffer + sizeof buffer;
    char* at = end;
    std::uint64_t magnitude = value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    int digits = 0;
    do {
        if (digits > 0 && digits % 3 == 0) *--at = '.';
        *--at = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
        ++digits;
    } while (magnitude > 0);
    if (value < 0) *--at = '-';
    return QString::fromLatin1(at, end - at);
}

QString RealText(double number, ReportFormat format) {
    if (format == ReportFormat::Float2) return Brazil().toString(number, 'f', 2);
    if (std::isfinite(number) && std::fabs(number) < 9.2e18) return GroupedInteger(std::llround(number));
    return Brazil().toString(number, 'f', 0);
}

// A text that is no number is shown as it came.
QString NumberText(const ReportCell& cell, ReportFormat format) {
    if (cell.type == ReportCell::Type::Integer)
        return format == ReportFormat::Float2 ? RealText(static_cast<double>(cell.integer), format)
                                              : GroupedInteger(cell.integer);
    if (cell.type == ReportCell::Type::Real) return RealText(cell.real, format);
    // A whole number as it is: through a double, the largest 64-bit ones
    // would lose their last digits.
    const QString text = Utf8(cell.Text());
    bool ok = false;
    const qint64 whole = text.toLongLong(&ok);
    if (ok && format != ReportFormat::Float2) return GroupedInteger(whole);
    const double number = text.toDouble(&ok);
    return ok ? RealText(number, format) : text;
}

QString AsIsText(const ReportCell& cell) {
    switch (cell.type) {
        case ReportCell::Type::Integer:
            return QString::number(cell.integer);
        case ReportCell::Type::Real:
            return QString::number(cell.real, 'g', QLocale::FloatingPointShortest);
        default:
            return Utf8(cell.Text());
    }
}

}  // namespace

ReportFormat ReportFormatOf(const QString& name) {
    if (name == QLatin1String("date")) return ReportFormat::Date;
    if (name == QLatin1String("datetime")) return ReportFormat::DateTime;
    if (name == QLatin1String("integer")) return ReportFormat::Integer;
    if (name == QLatin1String("float2")) return ReportFormat::Float2;
    return ReportFormat::AsIs;
}

QString FormatReportCell(const ReportCell& cell, ReportFormat format) {
    if (cell.type == ReportCell::Type::Null) return QString();
    switch (format) {
        case ReportFormat::Date:
            return DateCellText(cell, false);
        case ReportFormat::DateTime:
            return DateCellText(cell, true);
        case ReportFormat::Integer:
        case ReportFormat::Float2:
            return NumberText(cell, format);
        case ReportFormat::AsIs:
            break;
    }
    return AsIsText(cell);
}

QString FormatCount(qint64 count) { return GroupedInteger(count); }

QString FormatReportValue(const QVariant& value, ReportFormat format) {
    QByteArray storage;
    return FormatReportCell(ReportCell::FromVariant(value, storage), format);
}
