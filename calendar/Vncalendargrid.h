// The calendar's date grid without a widget: from the view mode, the calendar
// date and the first day of the week, which days a view shows and how cells
// and dates map onto each other, so that matching and tests need no window.
#pragma once

#include <cstdint>

#include "platform/DateTime.h"

enum TvnViewModes : uint8_t { vmDay = 0, vmWeek = 1, vmMonth = 2, vmYear = 3 };

// Unit of a navigation step; 255 (passed as -1) stands for the unit of the
// current view.
enum TvnDateElements : uint8_t { deDay = 0, deWeek = 1, deMonth = 2, deYear = 3 };
constexpr int deCurrentView = 255;

// The grid has at most 7 columns and 6 rows; its cells are kept in two orders.
struct TvnCell {
    int Col = -1;
    int Row = -1;
};
// Cell rectangles, the items counted per cell and the cell scroll bars are
// kept column by column.
constexpr int CellRectIndex(int col, int row) {
    return col * 6 + row;
}
// Occurrence flags of an event and the scroll bars' tags are kept row by
// row, so that an index is also the day's distance from the first shown day.
constexpr int CellFlagIndex(int col, int row) {
    return row * 7 + col;
}
constexpr TvnCell CellOfFlagIndex(int index) {
    return {index % 7, index / 7};
}

class TvnCalendarGrid {
public:
    TvnCalendarGrid() { Update(); }
    TvnCalendarGrid(TvnViewModes mode, TDateTime calendarDate, int startOfWeek = 1);

    // Setters ignore values out of range and answer whether anything changed.
    // The calendar date becomes a whole day inside the supported calendar.
    bool SetViewMode(int mode);
    bool SetCalendarDate(TDateTime date);
    // The date alone, the cells staying those of the old date until
    // Recompute(): the calendar control tells its owner of a new date while
    // the old view still stands, and recomputes after.
    bool SetCalendarDateOnly(TDateTime date);
    void Recompute() { Update(); }
    // 1 = Monday ... 7 = Sunday.
    bool SetStartOfWeek(int n);

    TvnViewModes ViewMode() const { return FViewMode; }
    TDateTime CalendarDate() const { return FCalendarDate; }
    int StartOfWeek() const { return FStartOfWeek; }

    TDateTime FirstDate() const { return FFirstDate; }
    TDateTime LastDate() const { return FLastDate; }
    // Day of the calendar month in the first cell: 1, or 0 and below when the
    // first row begins in the month before.
    int FirstDayIndex() const { return FFirstDayIndex; }
    int ColCount() const { return FColCount; }
    int RowCount() const { return FRowCount; }
    int WeekendCol1() const { return FWeekendCol1; }
    int WeekendCol2() const { return FWeekendCol2; }

    // The day of a cell (in the year view the first of the cell's month); 0
    // for (-1, -1).
    TDateTime CellToDate(int col, int row) const;
    // The cell of a date, or (-1, -1) when the date is not shown or the view
    // is the year view (whose cells are months).
    void DateToCell(TDateTime date, int& col, int& row) const;
    // The column of a day: its distance from the start of the week.
    int WeekColumn(TDateTime date) const;
    int DaysThisMonth() const;
    int DaysPriorMonth() const;
    // The day of the month a month or week cell shows, and whether that day
    // belongs to the calendar month.
    int DayNumberAt(int col, int row, bool& inMonth) const;
    // The year view: the column of the first day of a cell's month, and the
    // month's length.
    int MonthOffset(int col, int row, int& days) const;

private:
    void Update();

    TvnViewModes FViewMode = vmMonth;
    TDateTime FCalendarDate = 0;
    int FStartOfWeek = 1;
    TDateTime FFirstDate = 0;
    TDateTime FLastDate = 0;
    int FFirstDayIndex = 0;
    int FColCount = 7;
    int FRowCount = 6;
    int FWeekendCol1 = 5;
    int FWeekendCol2 = 6;
};
