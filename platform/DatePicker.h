// What the date and time pickers of the dialogs share: conversions between
// the program's day-count date-times and Qt's dates and times, and the
// pickers' display formats taken from the program's format settings.
#pragma once

#include <QDate>
#include <QString>
#include <QTime>

#include "platform/DateFormat.h"

QDate ToQDate(TDateTime value);
// The time of day, to the millisecond.
QTime ToQTime(TDateTime value);
// The whole day of a picked date (no time of day).
TDateTime WholeDay(const QDate& date);
// A picked time as a time of day (a fraction of a day).
double TimeOfQTime(const QTime& time);
// A picked date with a picked time of day.
TDateTime FromQDateTime(const QDate& date, const QTime& time);

// The short date format in Qt's pattern letters, so the pickers show dates
// as the rest of the program does ("dd/mm/yyyy" with '.' -> "dd.MM.yyyy");
// empty when the format lacks the day, the month or the year.
QString PickerDateFormat(const TFormatSettings& fs);
// The long time format in Qt's pattern letters ("h:nn:ss AMPM" ->
// "h:mm:ss AP"); empty when it lacks the hour or the minutes.
QString PickerTimeFormat(const TFormatSettings& fs);
