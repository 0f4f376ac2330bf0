// The arithmetic of the time span calculator: the distance between two days
// in one of its units, in 64 bits so that long spans show their true value.
#pragma once

#include <cstdint>

// The units of the calculator's list, in its order.
enum TvnSpanUnit : int {
    suSeconds = 0,
    suMinutes = 1,
    suHours = 2,
    suDays = 3,
    suWorkingDays = 4,
};

// Weekday of a day number (days from 30 December 1899): Monday = 1 ... Sunday = 7.
int WeekdayOfDayNumber(int64_t day);

// Mondays to Fridays after the begin day up to and including the end day;
// negative when the end lies before the begin.
int64_t WorkingDaysBetween(int64_t beginDay, int64_t endDay);

// The span from the begin day to the end day in the unit; any other unit
// (no item chosen) counts days.
int64_t TimeSpanValue(int64_t beginDay, int64_t endDay, int unit);
