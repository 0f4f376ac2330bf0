// Which shown days an event or a holiday falls on: pure computation on the
// fields the matching reads and on the shown range, so it is tested without
// tables or windows.
#pragma once

#include <array>

#include "calendar/Vncalendargrid.h"
#include "store/Vntypes.h"

// The fields of an events row that decide on which days it shows.
struct TvnEventDays {
    TDateTime Date = 0;
    TDateTime EndDate = 0;
    bool UseEndDate = false;
    int Recurrence = rkOnce;
    int nParam = 1;
};

// Sets the flag (index CellFlagIndex) of every shown cell on whose day the
// event occurs and answers whether any was set. The days are those on which
// the series' occurrences fall (for an hourly series the start's time of day
// decides them); the end day counts whole; the advance notice and the
// completed flag play no part. An unknown recurrence code shows the start alone.
bool MatchEventCells(const TvnEventDays& event, const TvnCalendarGrid& grid,
                     std::array<bool, CalendarCellCount>& flags);

// The cell of a holiday in the shown range: its day in the year of the first
// shown day, else in the year of the last. False with (-1, -1) when neither
// is shown, in the year view, and for a day the month lacks that year.
bool MatchHolidayCell(const TvnHolidayParams& holiday, const TvnCalendarGrid& grid, int& col,
                      int& row);
