// The date grid of the views without a widget: the shown days of each view
// and the cell/date mapping as inverse functions.
#include <gtest/gtest.h>

#include <ostream>

#include "calendar/Vncalendargrid.h"
#include "support/TestSupport.h"

namespace {

struct GridRow {
    const char* name;
    TvnViewModes mode;
    TDateTime date;
    int startOfWeek;  // 1 = Monday ... 7 = Sunday
    TDateTime first, last;
    int cols, rows, firstDayIndex;
};

void PrintTo(const GridRow& row, std::ostream* os) {
    *os << row.name;
}

class GridViews : public ::testing::TestWithParam<GridRow> {};

TEST_P(GridViews, ShowTheirDaysAndMapCellsBothWays) {
    const GridRow& r = GetParam();
    const TvnCalendarGrid grid(r.mode, r.date, r.startOfWeek);
    EXPECT_EQ(grid.FirstDate(), r.first);
    EXPECT_EQ(grid.LastDate(), r.last);
    EXPECT_EQ(grid.ColCount(), r.cols);
    EXPECT_EQ(grid.RowCount(), r.rows);
    EXPECT_EQ(grid.FirstDayIndex(), r.firstDayIndex);
    if (r.mode == vmYear) return;
    for (int col = 0; col < grid.ColCount(); ++col)
        for (int row = 0; row < grid.RowCount(); ++row) {
            int c = -1, w = -1;
            grid.DateToCell(grid.CellToDate(col, row), c, w);
            EXPECT_EQ(c, col) << "row " << row;
            EXPECT_EQ(w, row) << "col " << col;
        }
    int c = 0, w = 0;
    grid.DateToCell(r.last + 1, c, w);
    EXPECT_EQ(c, -1);
    grid.DateToCell(r.first - 0.5, c, w);  // midday of the day before
    EXPECT_EQ(w, -1);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, GridViews,
    ::testing::Values(GridRow{"March2024MondayFirst", vmMonth, At(2024, 3, 15), 1, At(2024, 2, 26),
                              At(2024, 4, 7), 7, 6, -3},
                      GridRow{"March2024SundayFirst", vmMonth, At(2024, 3, 15), 7, At(2024, 2, 25),
                              At(2024, 4, 6), 7, 6, -4},
                      GridRow{"September2024StartsOnTheWeeksFirstDay", vmMonth, At(2024, 9, 30), 7,
                              At(2024, 9, 1), At(2024, 10, 12), 7, 6, 1},
                      GridRow{"WeekOverTheYearsEnd", vmWeek, At(2026, 1, 1), 1, At(2025, 12, 29),
                              At(2026, 1, 4), 7, 1, -2},
                      GridRow{"DayView", vmDay, At(2024, 2, 29), 1, At(2024, 2, 29),
                              At(2024, 2, 29), 1, 1, 29},
                      GridRow{"YearView", vmYear, At(2024, 7, 4), 1, At(2024, 1, 1),
                              At(2024, 12, 31), 4, 3, -181}),
    [](const ::testing::TestParamInfo<GridRow>& info) { return std::string(info.param.name); });

TEST(CalendarGrid, YearCellsAreMonthsAndHaveNoDayCells) {
    const TvnCalendarGrid grid(vmYear, At(2024, 7, 4));
    EXPECT_EQ(grid.CellToDate(1, 2), At(2024, 10, 1));
    int col = 0, row = 0;
    grid.DateToCell(At(2024, 10, 1), col, row);
    EXPECT_EQ(col, -1);
    int days = 0;
    EXPECT_EQ(grid.MonthOffset(1, 0, days), 3);  // 1 February 2024 is a Thursday
    EXPECT_EQ(days, 29);
}

TEST(CalendarGrid, SettersIgnoreWhatIsOutOfRangeOrUnchanged) {
    TvnCalendarGrid grid(vmMonth, At(2024, 3, 15));
    EXPECT_FALSE(grid.SetViewMode(vmMonth));
    EXPECT_FALSE(grid.SetViewMode(4));
    EXPECT_FALSE(grid.SetStartOfWeek(0));
    EXPECT_FALSE(grid.SetStartOfWeek(8));
    EXPECT_FALSE(grid.SetCalendarDate(At(2024, 3, 15, 18, 0)));  // the same day
    EXPECT_TRUE(grid.SetCalendarDate(1e12));                     // clamped to 31 December 9999
    EXPECT_EQ(grid.CalendarDate(), At(9999, 12, 31));
    EXPECT_EQ(grid.LastDate(), grid.FirstDate() + 41);
}

TEST(CalendarGrid, TheTwoCellOrdersAreInverseWhereTheyMustBe) {
    for (int n = 0; n < 42; ++n) {
        const TvnCell cell = CellOfFlagIndex(n);
        EXPECT_EQ(CellFlagIndex(cell.Col, cell.Row), n);
    }
    EXPECT_EQ(CellRectIndex(6, 5), 41);
    EXPECT_EQ(CellRectIndex(1, 0), 6);
    EXPECT_EQ(CellFlagIndex(1, 0), 1);
}

}  // namespace
