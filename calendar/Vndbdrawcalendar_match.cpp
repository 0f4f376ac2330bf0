// Occurrence matching of events and holidays to the shown cells.
#include <algorithm>
#include <cstdint>

#include "calendar/Vndbdrawcalendar_match.h"
#include "store/Vnseries.h"

namespace {

class Marker {
public:
    Marker(const TvnCalendarGrid& grid, std::array<bool, CalendarCellCount>& flags)
        : grid_(grid), flags_(flags) {}

    void Mark(double day) {
        int col = -1, row = -1;
        grid_.DateToCell(day, col, row);
        if (col == -1 || row == -1) return;
        flags_[CellFlagIndex(col, row)] = true;
        any_ = true;
    }
    bool Any() const { return any_; }

private:
    const TvnCalendarGrid& grid_;
    std::array<bool, CalendarCellCount>& flags_;
    bool any_ = false;
};

// The year of the first shown day and, when later, that of the last.
struct YearsShown {
    int year[2];
    int count;
};

YearsShown YearsOf(const TvnCalendarGrid& grid) {
    const int first = DecodeDateParts(grid.FirstDate()).y,
              last = DecodeDateParts(grid.LastDate()).y;
    return {{first, last}, last > first ? 2 : 1};
}

}  // namespace

bool MatchEventCells(const TvnEventDays& event, const TvnCalendarGrid& grid,
                     std::array<bool, CalendarCellCount>& flags) {
    if (grid.ViewMode() == vmYear) return false;
    Marker marker(grid, flags);
    marker.Mark(DayNumber(event.Date));
    // The series is computed from a start inside the supported calendar, so
    // absurd stored dates cost no more than ordinary ones.
    const TvnSeries series(std::clamp(event.Date, MinDateTime, MaxDateTime), event.Recurrence,
                           event.nParam);
    if (!series.Repeats()) return marker.Any();
    int32_t last = DayNumber(grid.LastDate());
    if (event.UseEndDate) last = std::min(last, DayNumber(event.EndDate));  // the end day counts
    series.ForEachDayIn(DayNumber(grid.FirstDate()), last, [&](int32_t day) {
        marker.Mark(day);
        return true;
    });
    return marker.Any();
}

bool MatchHolidayCell(const TvnHolidayParams& holiday, const TvnCalendarGrid& grid, int& col,
                      int& row) {
    col = row = -1;
    if (grid.ViewMode() == vmYear) return false;
    const YearsShown years = YearsOf(grid);
    for (int i = 0; i < years.count; ++i) {
        TDateTime date = 0;
        if (!HolidayDateInYear(holiday, years.year[i], date)) continue;
        grid.DateToCell(date, col, row);
        if (col != -1 && row != -1) return true;
    }
    col = row = -1;
    return false;
}
