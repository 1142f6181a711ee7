#include "PeriodPresets.h"

namespace {

QDate LastOfMonth(const QDate& day) { return QDate(day.year(), day.month(), day.daysInMonth()); }

bool InYears(const QDate& day) { return day.isValid() && day.year() >= 1 && day.year() <= 9999; }

DatePeriod DayOf(const QDate& day) { return {day, day}; }

DatePeriod WeekOf(const QDate& day, Qt::DayOfWeek firstDay) {
    const QDate first = day.addDays(-((day.dayOfWeek() - firstDay + 7) % 7));
    return {first, first.addDays(6)};
}

DatePeriod MonthOf(const QDate& day) {
    return {QDate(day.year(), day.month(), 1), LastOfMonth(day)};
}

DatePeriod QuarterOf(const QDate& day) {
    const int firstMonth = (day.month() - 1) / 3 * 3 + 1;
    return {QDate(day.year(), firstMonth, 1), LastOfMonth(QDate(day.year(), firstMonth + 2, 1))};
}

DatePeriod YearOf(const QDate& day) { return {QDate(day.year(), 1, 1), QDate(day.year(), 12, 31)}; }

DatePeriod LastDays(const QDate& today, int days) { return {today.addDays(1 - days), today}; }

}  // namespace

const std::vector<PeriodPreset>& PeriodPresets() {
    using F = Qt::DayOfWeek;
    static const std::vector<PeriodPreset> presets{
        {"hoje", "Hoje", [](const QDate& t, F) { return DayOf(t); }},
        {"ontem", "Ontem", [](const QDate& t, F) { return DayOf(t.addDays(-1)); }},
        {"esta-semana", "Esta semana", [](const QDate& t, F f) { return WeekOf(t, f); }},
        {"semana-passada", "Semana passada",
         [](const QDate& t, F f) { return WeekOf(t.addDays(-7), f); }},
        {"este-mes", "Este mês", [](const QDate& t, F) { return MonthOf(t); }},
        {"mes-passado", "Mês passado",
         [](const QDate& t, F) { return MonthOf(MonthOf(t).first.addDays(-1)); }},
        {"este-trimestre", "Este trimestre", [](const QDate& t, F) { return QuarterOf(t); }},
        {"trimestre-passado", "Trimestre passado",
         [](const QDate& t, F) { return QuarterOf(QuarterOf(t).first.addDays(-1)); }},
        {"este-ano", "Este ano", [](const QDate& t, F) { return YearOf(t); }},
        {"ano-passado", "Ano passado",
         [](const QDate& t, F) { return YearOf(YearOf(t).first.addDays(-1)); }},
        {"ultimos-7-dias", "Últimos 7 dias", [](const QDate& t, F) { return LastDays(t, 7); }},
        {"ultimos-30-dias", "Últimos 30 dias", [](const QDate& t, F) { return LastDays(t, 30); }},
        {"ultimos-90-dias", "Últimos 90 dias", [](const QDate& t, F) { return LastDays(t, 90); }},
    };
    return presets;
}

int PeriodPresetIndex(const QString& name) {
    const std::vector<PeriodPreset>& presets = PeriodPresets();
    for (size_t i = 0; i < presets.size(); ++i)
        if (name == QLatin1String(presets[i].name)) return static_cast<int>(i);
    return -1;
}

std::optional<DatePeriod> ResolvePeriod(int preset, const QDate& today,
                                        Qt::DayOfWeek firstDayOfWeek) {
    const std::vector<PeriodPreset>& presets = PeriodPresets();
    if (preset < 0 || preset >= static_cast<int>(presets.size()) || !InYears(today))
        return std::nullopt;
    const DatePeriod period = presets[static_cast<size_t>(preset)].resolve(today, firstDayOfWeek);
    if (!InYears(period.first) || !InYears(period.last)) return std::nullopt;
    return period;
}

std::optional<DatePeriod> MovedPeriod(const DatePeriod& period, int direction) {
    if (!InYears(period.first) || !InYears(period.last) || period.last < period.first)
        return std::nullopt;
    DatePeriod moved;
    if (period.first.day() == 1 && period.last == LastOfMonth(period.last)) {
        const int months = (period.last.year() - period.first.year()) * 12 + period.last.month() -
                           period.first.month() + 1;
        moved.first = period.first.addMonths(direction * months);
        moved.last = LastOfMonth(moved.first.addMonths(months - 1));
    } else {
        const qint64 days = period.first.daysTo(period.last) + 1;
        moved = {period.first.addDays(direction * days), period.last.addDays(direction * days)};
    }
    if (!InYears(moved.first) || !InYears(moved.last)) return std::nullopt;
    return moved;
}
