#include "calendar/Vncalendargrid.h"

#include <algorithm>
#include <cmath>

#include "store/Vntypes.h"

TvnCalendarGrid::TvnCalendarGrid(TvnViewModes mode, TDateTime calendarDate, int startOfWeek) {
    SetViewMode(mode);
    SetStartOfWeek(startOfWeek);
    SetCalendarDate(calendarDate);
    Update();
}

bool TvnCalendarGrid::SetViewMode(int mode) {
    if (mode == FViewMode || mode < vmDay || mode > vmYear) return false;
    static constexpr int kCols[] = {1, 7, 7, 4};
    static constexpr int kRows[] = {1, 1, 6, 3};
    FViewMode = TvnViewModes(mode);
    FColCount = kCols[mode];
    FRowCount = kRows[mode];
    Update();
    return true;
}

bool TvnCalendarGrid::SetCalendarDate(TDateTime date) {
    if (!SetCalendarDateOnly(date)) return false;
    Update();
    return true;
}

bool TvnCalendarGrid::SetCalendarDateOnly(TDateTime date) {
    if (std::isnan(date)) return false;
    // Whole days inside the supported calendar keep the view's arithmetic
    // exact.
    const TDateTime day = std::trunc(std::clamp(date, MinDateTime, std::trunc(MaxDateTime)));
    if (day == FCalendarDate) return false;
    FCalendarDate = day;
    return true;
}

bool TvnCalendarGrid::SetStartOfWeek(int n) {
    if (n == FStartOfWeek || n <= 0 || n > 7) return false;
    FStartOfWeek = n;
    FWeekendCol1 = 6 - n < 0 ? 6 : 6 - n;
    FWeekendCol2 = 7 - n;
    Update();
    return true;
}

void TvnCalendarGrid::Update() {
    const TDateParts cal = DecodeDateParts(FCalendarDate);
    const TDateTime first = EncodeDate(cal.y, cal.m, 1);
    switch (FViewMode) {
        case vmDay:
            FFirstDate = FLastDate = FCalendarDate;
            break;
        case vmWeek:
            FFirstDate = FCalendarDate - WeekColumn(FCalendarDate);
            FLastDate = FFirstDate + 6;
            break;
        case vmMonth:
            FFirstDate = first - WeekColumn(first);
            FLastDate = FFirstDate + 41;
            break;
        case vmYear:
            FFirstDate = EncodeDate(cal.y, 1, 1);
            FLastDate = EncodeDate(cal.y, 12, 31);
            break;
    }
    FFirstDayIndex = int(std::trunc(FFirstDate - first + 1));
}

TDateTime TvnCalendarGrid::CellToDate(int col, int row) const {
    if (col == -1 || row == -1) return 0;
    if (FViewMode == vmYear) return EncodeDate(DecodeDateParts(FFirstDate).y, row * 4 + col + 1, 1);
    return FFirstDate + CellFlagIndex(col, row);
}

void TvnCalendarGrid::DateToCell(TDateTime date, int& col, int& row) const {
    col = row = -1;
    const int32_t day = DayNumber(date);
    if (day < DayNumber(FFirstDate) || day > DayNumber(FLastDate)) return;
    const int32_t n = DayNumber(date - FFirstDate);
    switch (FViewMode) {
        case vmDay:
            col = row = 0;
            break;
        case vmWeek:
            if (n >= 0 && n < 7) col = n, row = 0;
            break;
        case vmMonth:
            if (n >= 0 && n < CalendarCellCount) {
                const TvnCell cell = CellOfFlagIndex(n);
                col = cell.Col, row = cell.Row;
            }
            break;
        default:
            break;
    }
}

int TvnCalendarGrid::WeekColumn(TDateTime date) const {
    int col = DayOfWeek(date) - FStartOfWeek - 1;
    if (col < 0) col += 7;
    return col;
}

int TvnCalendarGrid::DaysThisMonth() const {
    const TDateParts cal = DecodeDateParts(FCalendarDate);
    return DaysPerMonth(cal.y, cal.m);
}

int TvnCalendarGrid::DaysPriorMonth() const {
    const TDateParts cal = DecodeDateParts(FCalendarDate);
    return cal.m == 1 ? DaysPerMonth(cal.y - 1, 12) : DaysPerMonth(cal.y, cal.m - 1);
}

int TvnCalendarGrid::DayNumberAt(int col, int row, bool& inMonth) const {
    const int n = FFirstDayIndex + CellFlagIndex(col, row);
    const int days = DaysThisMonth();
    inMonth = false;
    if (n < 1) return DaysPriorMonth() + n;
    if (n > days) return n - days;
    inMonth = true;
    return n;
}

int TvnCalendarGrid::MonthOffset(int col, int row, int& days) const {
    const int year = DecodeDateParts(FFirstDate).y;
    const int month = std::clamp(row * 4 + col + 1, 1, 12);
    days = DaysPerMonth(year, month);
    return WeekColumn(EncodeDate(year, month, 1));
}
