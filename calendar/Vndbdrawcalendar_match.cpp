// Occurrence matching of events and holidays to the shown cells.
#include <algorithm>
#include <cstdint>

#include "calendar/Vndbdrawcalendar_match.h"
#include "store/Vnseries.h"

namespace {

// Day numbers of the first and the last day of the supported calendar.
constexpr int32_t kMinDay = -693593;
constexpr int32_t kMaxDay = 2958465;

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

// The series' date in a month, its start's day lowered to the month's
// length; false beyond the supported calendar.
bool ClampedDate(int64_t year, int month, int day, int32_t& result) {
    if (year < MinYear || year > MaxYear) return false;
    result = DayNumber(EncodeDate(int(year), month, ClampedDay(int(year), month, day)));
    return true;
}

struct Probes {
    int32_t p[3];
};

Probes ProbesOf(const TvnCalendarGrid& grid) {
    const TDateParts cal = DecodeDateParts(grid.CalendarDate());
    return {{DayNumber(grid.FirstDate()), DayNumber(EncodeDate(cal.y, cal.m, 1)),
             DayNumber(grid.LastDate())}};
}

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

// Each month the view touches gets the occurrence of the every-n-months
// series that falls in it.
void MatchMonthly(int32_t s, int32_t e, bool useEnd, int n, const TvnCalendarGrid& grid,
                  Marker& marker) {
    const TDateParts start = DecodeDateParts(s);
    for (int32_t probe : ProbesOf(grid).p) {
        if (probe <= s) continue;
        const TDateParts p = DecodeDateParts(probe);
        const TvnYearMonth month = SeriesMonthAtOrAfter({start.y, start.m}, {p.y, p.m}, n);
        int32_t c = 0;
        if (!ClampedDate(month.Year, month.Month, start.d, c)) continue;
        if (useEnd && c > e) return;
        marker.Mark(c);
    }
}

void MatchMonthlyByWeekday(int32_t s, int32_t e, bool useEnd, const TvnCalendarGrid& grid,
                           Marker& marker) {
    for (int32_t probe : ProbesOf(grid).p) {
        if (probe <= s) continue;
        const TDateParts p = DecodeDateParts(probe);
        const int32_t c = DayNumber(EncodeDate(p.y, p.m, OccurrenceDayOfMonth(s, p.y, p.m)));
        if (useEnd && c > e) return;
        marker.Mark(c);
    }
}

void MatchAnnually(int32_t s, int32_t e, bool useEnd, int n, const TvnCalendarGrid& grid,
                   Marker& marker) {
    if (DayNumber(grid.LastDate()) <= s) return;
    const TDateParts start = DecodeDateParts(s);
    const YearsShown years = YearsOf(grid);
    for (int i = 0; i < years.count; ++i) {
        const int year = years.year[i];
        if (year < start.y) continue;
        int32_t c = 0;
        if (!ClampedDate(SeriesYearAtOrAfter(start.y, year, n), start.m, start.d, c)) continue;
        if (useEnd && c > e) return;
        marker.Mark(c);
    }
}

// Hourly, daily and weekly series (and unknown kinds, which count as daily):
// every step of h days from the start, h at least one day.
void MatchByStep(int32_t s, int32_t e, bool useEnd, int kind, int n, const TvnCalendarGrid& grid,
                 Marker& marker) {
    double h = kind == rkHourly ? n / 24.0 : kind == rkDaily ? n : kind == rkWeekly ? 7.0 * n : 0;
    if (h < 1) h = 1;
    const int32_t g = DayNumber(grid.FirstDate() - s);
    double c = g < 0 ? DayNumber(s + h) : DayNumber(Ceil(g / h) * h + s);
    while (c <= grid.LastDate()) {
        if (useEnd && c > e) return;
        marker.Mark(c);
        c = DayNumber(c + h);
    }
}

}  // namespace

bool MatchEventCells(const TvnEventDays& event, const TvnCalendarGrid& grid,
                     std::array<bool, CalendarCellCount>& flags) {
    if (grid.ViewMode() == vmYear) return false;
    Marker marker(grid, flags);
    const int32_t start = DayNumber(event.Date);
    marker.Mark(start);
    if (event.Recurrence == rkOnce) return marker.Any();
    // The series is computed from a start inside the supported calendar, so
    // absurd stored dates cost no more than ordinary ones.
    const int32_t s = std::clamp(start, kMinDay, kMaxDay);
    const int32_t e = DayNumber(event.EndDate);
    const bool useEnd = event.UseEndDate;
    const int n = std::max(1, event.nParam);
    switch (event.Recurrence) {
        case rkMonthly:
            MatchMonthly(s, e, useEnd, n, grid, marker);
            break;
        case rkMonthlyByWeekday:
            MatchMonthlyByWeekday(s, e, useEnd, grid, marker);
            break;
        case rkAnnually:
            MatchAnnually(s, e, useEnd, n, grid, marker);
            break;
        default:
            MatchByStep(s, e, useEnd, event.Recurrence, n, grid, marker);
            break;
    }
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
