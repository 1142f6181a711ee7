#pragma once

#include <QDate>
#include <QString>

#include "Export.h"

// A date value: the whole part counts days from 30 December 1899, the
// fraction is the time of day. Before that day the whole part is negative and
// the fraction still counts forward from midnight (-1.25 is 29/12/1899 06:00).
using TDateTime = double;

// The one place where dates become text and text becomes dates. Text dates
// are day/month/year, as the screens show them ("dd/mm/yyyy"); years run from
// 1 to 9999.

FRAMEWORK_EXPORT bool TryEncodeDate(int year, int month, int day, TDateTime& result);
// Throws EConvertError for a day that does not exist.
FRAMEWORK_EXPORT TDateTime EncodeDate(int year, int month, int day);
// Throws EConvertError for a value outside the years 1 to 9999 (or not a
// number); so do DayOfWeek, DateToStr, DateToIso and DateTimeToIso.
FRAMEWORK_EXPORT void DecodeDate(TDateTime value, int& year, int& month, int& day);

// Days only: the time of day is dropped.
FRAMEWORK_EXPORT TDateTime DateOf(TDateTime value);
// 1 is Sunday, 7 is Saturday.
FRAMEWORK_EXPORT int DayOfWeek(TDateTime value);
// Today, without time: the day SetToday fixed, else the system clock's.
FRAMEWORK_EXPORT TDateTime Date();
// Fixes the day Date() gives for the rest of the run (a rerun of a past
// month, a test); 0 goes back to the system clock. Everything that puts
// "today" (the date keys, the period presets) asks Date().
FRAMEWORK_EXPORT void SetToday(TDateTime day);

// The day of the value; an invalid QDate outside the years 1 to 9999.
FRAMEWORK_EXPORT QDate ToQDate(TDateTime value);
// Throws EConvertError for an invalid date or one outside the years 1 to 9999.
FRAMEWORK_EXPORT TDateTime FromQDate(const QDate& date);

// "dd/mm/yyyy", with zeros: 05/03/2024.
FRAMEWORK_EXPORT QString DateToStr(TDateTime value);
// "dd/mm/yyyy hh:mm" when the value has a time part of a minute or more, else
// as DateToStr.
FRAMEWORK_EXPORT QString DateTimeToStr(TDateTime value);
// Accepts "d/m/yyyy" and "dd/mm/yyyy" and the eight digits "ddmmyyyy", with
// spaces around; anything else, or a day that does not exist, is false.
FRAMEWORK_EXPORT bool TryStrToDate(const QString& text, TDateTime& result);
// As TryStrToDate, throwing EConvertError with a message in Portuguese.
FRAMEWORK_EXPORT TDateTime StrToDate(const QString& text);

// "yyyy-mm-dd", the form that databases and logs read.
FRAMEWORK_EXPORT QString DateToIso(TDateTime value);
// "yyyy-mm-dd hh:mm:ss" when the value has a time part of a second or more,
// else as DateToIso.
FRAMEWORK_EXPORT QString DateTimeToIso(TDateTime value);
