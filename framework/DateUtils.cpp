#include "DateUtils.h"

#include <QRegularExpression>
#include <algorithm>
#include <cmath>

#include "SysUtils.h"

namespace {

// QDate counts days on the proleptic Gregorian calendar, the same one that
// TDateTime counts on; only the origin differs.
constexpr qint64 kJulianDayOfOrigin = 2415019;  // 30/12/1899
constexpr double kFirstDay = -693593.0;         // 01/01/0001
constexpr double kLastDay = 2958465.0;          // 31/12/9999
constexpr qint64 kMillisecondsPerDay = 86400000;

// The whole part is the day even below zero (-1.25 is a time on day -1), so
// every value between kFirstDay - 1 and kLastDay + 1, both excluded, has a day.
bool HasDay(TDateTime value) {
    return std::isfinite(value) && value > kFirstDay - 1.0 && value < kLastDay + 1.0;
}

QDate DayOf(TDateTime value) {
    if (!HasDay(value)) {
        throw EConvertError(
            QStringLiteral("O valor %1 não é uma data válida.").arg(value, 0, 'g', 17));
    }
    return QDate::fromJulianDay(static_cast<qint64>(std::trunc(value)) + kJulianDayOfOrigin);
}

// The time of day in milliseconds; the fraction counts forward from midnight
// whatever the sign of the value.
qint64 MillisecondsOf(TDateTime value) {
    const double fraction = std::fabs(value - std::trunc(value));
    const auto ms = static_cast<qint64>(std::llround(fraction * kMillisecondsPerDay));
    return std::min(ms, kMillisecondsPerDay - 1);
}

QString TrimSpaces(const QString& text) {
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text.at(first) == u' ') ++first;
    while (last > first && text.at(last - 1) == u' ') --last;
    return text.mid(first, last - first);
}

// The day of the value in `pattern`: %1 the day, %2 the month (two digits
// each), %3 the year (four), wherever the pattern puts them.
QString DayText(TDateTime value, QLatin1StringView pattern) {
    int year = 0, month = 0, day = 0;
    DecodeDate(value, year, month, day);
    return QString(pattern)
        .arg(day, 2, 10, QLatin1Char('0'))
        .arg(month, 2, 10, QLatin1Char('0'))
        .arg(year, 4, 10, QLatin1Char('0'));
}

}  // namespace

bool TryEncodeDate(int year, int month, int day, TDateTime& result) {
    if (year < 1 || year > 9999 || !QDate::isValid(year, month, day)) return false;
    result = static_cast<double>(QDate(year, month, day).toJulianDay() - kJulianDayOfOrigin);
    return true;
}

TDateTime EncodeDate(int year, int month, int day) {
    TDateTime result = 0;
    if (!TryEncodeDate(year, month, day, result)) {
        throw EConvertError(
            QStringLiteral("'%1/%2/%3' não é uma data válida.").arg(day).arg(month).arg(year));
    }
    return result;
}

void DecodeDate(TDateTime value, int& year, int& month, int& day) {
    DayOf(value).getDate(&year, &month, &day);
}

TDateTime DateOf(TDateTime value) { return std::trunc(value); }

int DayOfWeek(TDateTime value) {
    // QDate counts Monday as 1 and Sunday as 7.
    return DayOf(value).dayOfWeek() % 7 + 1;
}

namespace {
TDateTime fixedToday = 0;
}  // namespace

TDateTime Date() { return fixedToday != 0 ? fixedToday : FromQDate(QDate::currentDate()); }

void SetToday(TDateTime day) { fixedToday = DateOf(day); }

QDate ToQDate(TDateTime value) { return HasDay(value) ? DayOf(value) : QDate(); }

TDateTime FromQDate(const QDate& date) {
    if (!date.isValid()) throw EConvertError(QStringLiteral("Data inválida."));
    return EncodeDate(date.year(), date.month(), date.day());
}

QString DateToStr(TDateTime value) { return DayText(value, QLatin1StringView("%1/%2/%3")); }

QString DateTimeToStr(TDateTime value) {
    const QString date = DateToStr(value);
    const qint64 minutes = MillisecondsOf(value) / 60000;
    if (minutes == 0) return date;
    return QStringLiteral("%1 %2:%3")
        .arg(date)
        .arg(minutes / 60, 2, 10, QLatin1Char('0'))
        .arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

bool TryStrToDate(const QString& text, TDateTime& result) {
    // [0-9] rather than \d, which would also take digits of other scripts.
    static const QRegularExpression slashed(
        QStringLiteral("^([0-9]{1,2})/([0-9]{1,2})/([0-9]{4})$"));
    static const QRegularExpression compact(QStringLiteral("^([0-9]{2})([0-9]{2})([0-9]{4})$"));
    const QString trimmed = TrimSpaces(text);
    QRegularExpressionMatch match = slashed.match(trimmed);
    if (!match.hasMatch()) match = compact.match(trimmed);
    if (!match.hasMatch()) return false;
    return TryEncodeDate(match.captured(3).toInt(), match.captured(2).toInt(),
                         match.captured(1).toInt(), result);
}

TDateTime StrToDate(const QString& text) {
    TDateTime result = 0;
    if (!TryStrToDate(text, result)) {
        throw EConvertError(QStringLiteral("'%1' não é uma data válida.").arg(text));
    }
    return result;
}

QString DateToIso(TDateTime value) { return DayText(value, QLatin1StringView("%3-%2-%1")); }

QString DateTimeToIso(TDateTime value) {
    QString date = DateToIso(value);
    const qint64 seconds = MillisecondsOf(value) / 1000;
    if (seconds == 0) return date;
    return QStringLiteral("%1 %2:%3:%4")
        .arg(date)
        .arg(seconds / 3600, 2, 10, QLatin1Char('0'))
        .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}
