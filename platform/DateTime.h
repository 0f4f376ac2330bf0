// Day-count date-times: a double counting days from 30 December 1899, the
// fraction being the time of day; composition, decomposition and the clock.
#pragma once

#include <cstdint>
#include <functional>

using TDateTime = double;

constexpr double HoursPerDay = 24.0;
constexpr double MinsPerDay = 1440.0;
constexpr double SecsPerDay = 86400.0;
constexpr double MSecsPerDay = 86400000.0;

// The supported calendar: 1 January of year 1 to 31 December 9999.
constexpr int MinYear = 1;
constexpr int MaxYear = 9999;
constexpr TDateTime MinDateTime = -693593.0;         // 0001-01-01 00:00
constexpr TDateTime MaxDateTime = 2958465.99999999;  // 9999-12-31 23:59:59.999

bool IsLeapYear(int year);
// Days of the month in the proleptic Gregorian calendar; 0 for a month outside 1..12.
int MonthDays(int year, int month);

// Whole-day part of a date-time (truncated toward zero, as the runtime does for
// negative values). NaN counts as 0; values beyond the int64 range saturate.
int64_t DateTimeDays(TDateTime value);
// Time of day of a date-time, always in [0, 1): the absolute fractional part.
// A negative value stores the date and the time separately (-1.25 is
// 29 December 1899 06:00), so the time is the magnitude of the fraction.
double TimeOfDay(TDateTime value);
// Whole days plus a time of day, respecting the sign convention above.
TDateTime ComposeDateTime(TDateTime date, double timeOfDay);

bool TryEncodeDate(int year, int month, int day, TDateTime& result);
// Year, month and day outside their ranges are clamped (year to 1..9999, month
// to 1..12, day to 1..the month's length), so the result is always a valid date.
TDateTime EncodeDate(int year, int month, int day);
// A value outside the supported calendar (or NaN) decodes to the nearest end
// of it: below 0001-01-01 gives 1/1/1, above 9999-12-31 gives 9999/12/31,
// NaN gives 30 December 1899.
void DecodeDate(TDateTime value, int& year, int& month, int& day);

// The same as one value, for code that reads a date's parts together.
struct TDateParts {
    int y = 0, m = 0, d = 0;
};
TDateParts DecodeDateParts(TDateTime value);

bool TryEncodeTime(int hour, int min, int sec, int msec, double& result);
// Parts outside their ranges are clamped to them.
double EncodeTime(int hour, int min, int sec, int msec);
// Decodes the time of day, rounded to the millisecond (never 24:00).
void DecodeTime(TDateTime value, int& hour, int& min, int& sec, int& msec);

// The runtime's weekday: Sunday = 1 ... Saturday = 7.
int DayOfWeek(TDateTime value);

// The clock. Now() is local wall-clock time with milliseconds; Date() is its
// whole day and Time() its time of day.
TDateTime Now();
TDateTime Date();
TDateTime Time();

// Replaces the clock (tests set the time through this); an empty function
// restores the system clock.
void SetClock(std::function<TDateTime()> clock);
