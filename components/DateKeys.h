#pragma once

#include <QKeyEvent>
#include <optional>

#include "DateUtils.h"

// The keys with which a date field puts a date of its own (TDateEditPlus
// says what each does for the user).
enum class DateKey { None, NextDay, PreviousDay, NextMonth, PreviousMonth, Today, Calendar };

// The date key a key press stands for. "+", "-" and "H" count with or
// without Shift (which some keyboards need for "+"), the keypad's too; the
// arrows and page keys only on their own.
DateKey DateKeyOf(const QKeyEvent& event);

// The date a step key leads to from `from` (a day without time); nullopt
// for a key that is no step, or a date outside the years 1 to 9999.
std::optional<TDateTime> DateAfterStep(DateKey key, TDateTime from);
