#include "calendar/Vntimespan.h"

#include <algorithm>

int WeekdayOfDayNumber(int64_t day) {
    // Day 0 was a Saturday; the remainder is kept non-negative for days
    // before it.
    const int64_t r = ((day + 5) % 7 + 7) % 7;
    return static_cast<int>(r) + 1;
}

int64_t WorkingDaysBetween(int64_t beginDay, int64_t endDay) {
    const int wb = WeekdayOfDayNumber(beginDay);
    const int we = WeekdayOfDayNumber(endDay);
    // Saturday and Sunday count as the Friday before them.
    const int sb = std::max(1 - wb, -4);
    const int se = std::max(1 - we, -4);
    // Whole weeks between the Mondays of the two weeks, five working days each.
    const int64_t span = (endDay + (1 - we)) - (beginDay + (1 - wb));
    return span * 5 / 7 - (se - sb);
}

int64_t TimeSpanValue(int64_t beginDay, int64_t endDay, int unit) {
    const int64_t days = endDay - beginDay;
    switch (unit) {
        case suSeconds:
            return days * 86400;
        case suMinutes:
            return days * 1440;
        case suHours:
            return days * 24;
        case suWorkingDays:
            return WorkingDaysBetween(beginDay, endDay);
        default:
            return days;
    }
}
