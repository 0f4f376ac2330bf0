// The arithmetic every recurring series shares, written once for the next
// notification time and the calendar's matching: month steps that carry over
// the year's end, the month or year of an every-n series at or after a given
// one, and a series' day lowered to a month's length.
#pragma once

#include <cstdint>

#include "platform/DateTime.h"

// A month of the calendar; the year may lie outside the supported calendar,
// so that callers decide themselves what a series beyond year 9999 means.
struct TvnYearMonth {
    int64_t Year = 0;
    int Month = 1;  // 1..12
    bool operator==(const TvnYearMonth&) const = default;
};

// The month count steps after (year, month); negative counts go back, and a
// step over the year's end carries into the next or the previous year.
TvnYearMonth AddMonths(int64_t year, int month, int64_t count);

// The month of an every-n-months series that started in `start`, at or after
// `from` (n at least 1, `from` not before the start).
TvnYearMonth SeriesMonthAtOrAfter(TvnYearMonth start, TvnYearMonth from, int n);

// The year of an every-n-years series that started in `startYear`, at or
// after `fromYear` (n at least 1, `fromYear` not before the start).
int64_t SeriesYearAtOrAfter(int64_t startYear, int64_t fromYear, int n);

// The series' day in a month: `day` lowered to the month's length, so that
// a series from the 31st falls on the 30th, the 29th or the 28th.
int ClampedDay(int year, int month, int day);
