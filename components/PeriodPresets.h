#pragma once

#include <QDate>
#include <QString>
#include <optional>
#include <vector>

#include "HostExport.h"

// A period of whole days, both ends included.
struct DatePeriod {
    QDate first;
    QDate last;
    bool operator==(const DatePeriod&) const = default;
};

// The named periods a report screen offers, relative to today's date T:
// "Este/Esta X" is the whole calendar X that holds T, "X passado(a)" the
// whole X before it, "Últimos N dias" the N days that end on T. Weeks start
// on `firstDayOfWeek`; quarters are January to March, April to June, July to
// September and October to December.
struct PeriodPreset {
    const char* name;     // as scripts write it: "mes-passado"
    const char* caption;  // as the user reads it (UTF-8): "Mês passado"
    DatePeriod (*resolve)(const QDate& today, Qt::DayOfWeek firstDayOfWeek);
};

// The presets in the order the menus list them.
HOST_EXPORT const std::vector<PeriodPreset>& PeriodPresets();
// The index of the preset of that script name, or -1.
HOST_EXPORT int PeriodPresetIndex(const QString& name);
// The preset's dates for `today`; nullopt when one of them falls outside the
// years 1 to 9999.
HOST_EXPORT std::optional<DatePeriod> ResolvePeriod(int preset, const QDate& today,
                                                    Qt::DayOfWeek firstDayOfWeek);
// The period moved back (direction -1) or forward (+1) by its own length,
// keeping its shape: whole months (the 1st to a month's last day) move by
// their number of months, so 01/02–28/02 becomes 01/03–31/03; any other
// period moves by its number of days. nullopt for a period that ends before
// it starts or would leave the years 1 to 9999.
HOST_EXPORT std::optional<DatePeriod> MovedPeriod(const DatePeriod& period, int direction);
