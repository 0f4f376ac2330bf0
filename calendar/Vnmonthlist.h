// One month's occurrences of a user's events, matched by the month view's
// rules but without a widget, so that a month can be listed (and compared
// with other calendar programs) by a program with no window system.
#pragma once

#include <cstdint>
#include <vector>

class TADOTable;

struct TvnOccurrence {
    int32_t Day = 0;  // day number
    int ID = 0;       // the events row

    friend bool operator==(const TvnOccurrence&, const TvnOccurrence&) = default;
    friend auto operator<=>(const TvnOccurrence&, const TvnOccurrence&) = default;
};

// Filters the open Events table to the user's rows and answers every day of
// the calendar month with every event on it, by day and then by ID. Days of
// the neighbouring months that the month view also shows are left out.
// Raises EDatabaseError as the table does.
std::vector<TvnOccurrence> ListMonthOccurrences(TADOTable& events, int user, int year, int month,
                                                int startOfWeek = 1);
