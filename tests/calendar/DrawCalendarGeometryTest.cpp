// Dates of the views, title slots and cells, mapping of cells, dates and
// mouse points, navigation and the timer of the drawing control.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "calendar/Vndrawcalendar.h"
#include "support/TestSupport.h"

namespace {}  // namespace

static void PrintTo(const TRect& r, std::ostream* os) {
    *os << "(" << r.Left << ", " << r.Top << ", " << r.Right << ", " << r.Bottom << ")";
}

namespace {

// A control on a fixed day, in a given view, with its rectangles computed.
struct Fixture {
    explicit Fixture(TDateTime today, TvnViewModes mode = vmMonth) : clock(today) {
        cal = std::make_unique<TvnDrawCalendar>();
        ShowView(mode, today);
    }
    void ShowView(TvnViewModes mode, TDateTime date) {
        cal->SelectedDate = date;
        cal->SetViewMode(mode);
        cal->SetCalendarDate(date);
        cal->CalcTitlesRects();
        cal->CalcCellsRects();
    }
    ScopedClock clock;
    std::unique_ptr<TvnDrawCalendar> cal;
};

}  // namespace

TEST(DrawCalendarGeometry, WorkedExample350x250) {
    Fixture f(At(2024, 3, 15));
    TvnDrawCalendar& c = *f.cal;
    ASSERT_EQ(c.width(), 350);
    ASSERT_EQ(c.height(), 250);
    EXPECT_EQ(c.TitlesRects[0], (TRect{9, 7, 54, 24}));
    EXPECT_EQ(c.TitlesRects[6], (TRect{291, 7, 336, 24}));
    EXPECT_EQ(c.GetCellRect(0, 0), (TRect{9, 26, 54, 60}));
    EXPECT_EQ(c.GetCellRect(6, 5), (TRect{291, 206, 336, 240}));

    f.ShowView(vmWeek, At(2024, 3, 15));
    EXPECT_EQ(c.GetCellRect(0, 0), (TRect{9, 26, 54, 243}));

    f.ShowView(vmDay, At(2024, 3, 15));
    EXPECT_EQ(c.TitlesRects[0], (TRect{9, 7, 117, 24}));
    EXPECT_EQ(c.TitlesRects[4], (TRect{284, 7, 337, 24}));
    EXPECT_EQ(c.GetCellRect(0, 0), (TRect{9, 26, 337, 243}));

    f.ShowView(vmYear, At(2024, 3, 15));
    EXPECT_EQ(c.GetCellRect(0, 0), (TRect{9, 26, 90, 97}));
    EXPECT_EQ(c.GetCellRect(3, 2), (TRect{258, 172, 339, 243}));
}

TEST(DrawCalendarGeometry, ScreenMetricsByItemFontSize) {
    struct Row {
        int size, fontHeight, itemHeight;
    };
    const Row rows[] = {{0, -9, 18}, {1, -12, 19}, {2, -14, 22}, {3, -16, 25}, {4, -19, 30}};
    TvnDrawCalendar c;
    EXPECT_EQ(c.TitleHeight, 19);
    EXPECT_EQ(c.DayNumberHeight, 21);
    for (const Row& r : rows) {
        c.SetItemFontSize(r.size);
        EXPECT_EQ(c.ItemFontHeight, r.fontHeight) << "size " << r.size;
        EXPECT_EQ(c.ItemHeight, r.itemHeight) << "size " << r.size;
    }
    c.SetItemFontSize(5);
    c.SetItemFontSize(-1);
    EXPECT_EQ(c.ItemFontSize(), 4);
}

TEST(DrawCalendarGeometry, WeekendColumnsFollowStartOfWeek) {
    struct Row {
        int start, col1, col2;
    };
    const Row rows[] = {{1, 5, 6}, {7, 6, 0}, {6, 0, 1}, {2, 4, 5}};
    TvnDrawCalendar c;
    for (const Row& r : rows) {
        c.SetStartOfWeek(r.start);
        EXPECT_EQ(c.WeekendCol1(), r.col1) << "start " << r.start;
        EXPECT_EQ(c.WeekendCol2(), r.col2) << "start " << r.start;
    }
    c.SetStartOfWeek(0);
    c.SetStartOfWeek(8);
    EXPECT_EQ(c.StartOfWeek(), 2);
}

TEST(DrawCalendarGeometry, MonthStartingOnStartOfWeekHasNoLeadingDays) {
    Fixture f(At(2010, 2, 10));
    TvnDrawCalendar& c = *f.cal;
    EXPECT_TIME_EQ(c.FirstDate(), At(2010, 2, 1));
    EXPECT_TIME_EQ(c.LastDate(), At(2010, 3, 14));
    EXPECT_EQ(c.FirstDayIndex(), 1);
    bool inMonth = true;
    EXPECT_EQ(c.GetDayNumber(6, 3, inMonth), "28");
    EXPECT_TRUE(inMonth);
    EXPECT_EQ(c.GetDayNumber(0, 4, inMonth), "1");
    EXPECT_FALSE(inMonth);
}

TEST(DrawCalendarGeometry, SundayFirstPutsSundayInColumnZero) {
    Fixture f(At(2010, 8, 15));
    TvnDrawCalendar& c = *f.cal;
    c.SetStartOfWeek(7);
    EXPECT_EQ(c.GetDayName(0), "Sun");
    EXPECT_EQ(c.GetDayName(6), "Sat");
    EXPECT_TIME_EQ(c.FirstDate(), At(2010, 8, 1));  // 1 August 2010 is a Sunday
    int col = -1, row = -1;
    c.DateToCell(At(2010, 8, 1), col, row);
    EXPECT_EQ(col, 0);
    EXPECT_EQ(row, 0);
}

TEST(DrawCalendarGeometry, LeadingAndTrailingDayNumbers) {
    Fixture f(At(2024, 3, 15));  // March 2024 begins on a Friday
    TvnDrawCalendar& c = *f.cal;
    EXPECT_TIME_EQ(c.FirstDate(), At(2024, 2, 26));
    EXPECT_EQ(c.FirstDayIndex(), -3);
    bool inMonth = true;
    EXPECT_EQ(c.GetDayNumber(0, 0, inMonth), "26");
    EXPECT_FALSE(inMonth);
    EXPECT_EQ(c.GetDayNumber(4, 0, inMonth), "1");
    EXPECT_TRUE(inMonth);
    EXPECT_EQ(c.GetDayNumber(6, 5, inMonth), "7");
    EXPECT_FALSE(inMonth);
    EXPECT_EQ(c.DaysPriorMonth(), 29);
}

TEST(DrawCalendarGeometry, WeekAndDayViewsShowTheirDays) {
    Fixture f(At(2024, 3, 1), vmWeek);
    TvnDrawCalendar& c = *f.cal;
    EXPECT_TIME_EQ(c.FirstDate(), At(2024, 2, 26));
    EXPECT_TIME_EQ(c.LastDate(), At(2024, 3, 3));
    bool inMonth = true;
    EXPECT_EQ(c.GetDayNumber(0, 0, inMonth), "26");
    EXPECT_FALSE(inMonth);
    f.ShowView(vmDay, At(2024, 3, 9));
    EXPECT_TIME_EQ(c.FirstDate(), At(2024, 3, 9));
    EXPECT_TIME_EQ(c.LastDate(), At(2024, 3, 9));
    EXPECT_EQ(c.GetDayNumber(0, 0, inMonth), "9");
    EXPECT_TRUE(inMonth);
}

TEST(DrawCalendarGeometry, YearViewCellsAreMonths) {
    Fixture f(At(2024, 3, 15), vmYear);
    TvnDrawCalendar& c = *f.cal;
    EXPECT_TIME_EQ(c.FirstDate(), At(2024, 1, 1));
    EXPECT_TIME_EQ(c.LastDate(), At(2024, 12, 31));
    EXPECT_TIME_EQ(c.CellToDate(3, 0), At(2024, 4, 1));
    EXPECT_TIME_EQ(c.CellToDate(3, 2), At(2024, 12, 1));
    int days = 0;
    EXPECT_EQ(c.GetMonthOffset(1, 0, days), 3);  // 1 February 2024 is a Thursday
    EXPECT_EQ(days, 29);
    int col = 0, row = 0;
    c.DateToCell(At(2024, 3, 15), col, row);
    EXPECT_EQ(col, -1);
    EXPECT_EQ(row, -1);
}

TEST(DrawCalendarGeometry, DateToCellIgnoresTimeOfDayAndRange) {
    Fixture f(At(2024, 3, 15));
    TvnDrawCalendar& c = *f.cal;
    int col = 0, row = 0;
    c.DateToCell(At(2024, 3, 15, 23, 59), col, row);
    EXPECT_EQ(col, 4);
    EXPECT_EQ(row, 2);
    EXPECT_TIME_EQ(c.CellToDate(col, row), At(2024, 3, 15));
    c.DateToCell(At(2024, 2, 25), col, row);
    EXPECT_EQ(col, -1);
    c.DateToCell(At(2024, 4, 8), col, row);
    EXPECT_EQ(row, -1);
    EXPECT_EQ(c.CellToDate(-1, 2), 0);
}

TEST(DrawCalendarGeometry, SetDateElementClampsTheDay) {
    struct Row {
        TDateTime from;
        int element, value;
        TDateTime expected;
    };
    const Row rows[] = {
        {At(2005, 1, 31), 2, 2, At(2005, 2, 28)},    {At(2004, 1, 31), 2, 2, At(2004, 2, 29)},
        {At(2004, 2, 29), 1, 2005, At(2005, 2, 28)}, {At(2004, 3, 10), 3, 31, At(2004, 3, 31)},
        {At(2004, 3, 10), 1, 1899, At(2004, 3, 10)}, {At(2004, 3, 10), 2, 13, At(2004, 3, 10)},
        {At(2004, 4, 10), 3, 31, At(2004, 4, 10)},   {At(2004, 4, 10), 4, 1, At(2004, 4, 10)},
    };
    TvnDrawCalendar c;
    for (const Row& r : rows) {
        c.SetCalendarDate(r.from);
        c.SetDateElement(r.element, r.value);
        EXPECT_TIME_EQ(c.CalendarDate(), r.expected)
            << DateToStr(r.from).toStdString() << " element " << r.element << " value " << r.value;
    }
}

TEST(DrawCalendarGeometry, NavigationSteps) {
    ScopedClock clock(At(2006, 3, 15));
    TvnDrawCalendar c;
    c.SetCalendarDate(At(2006, 3, 15));
    c.ChangeDate(deCurrentView, -1);
    EXPECT_TIME_EQ(c.CalendarDate(), At(2006, 2, 1));
    c.SetCalendarDate(At(2006, 12, 20));
    c.ChangeDate(-1, 1);
    EXPECT_TIME_EQ(c.CalendarDate(), At(2007, 1, 1));

    c.SelectedDate = At(2006, 3, 15);
    c.SetViewMode(vmYear);
    c.ChangeDate(deCurrentView, -1);
    EXPECT_TIME_EQ(c.CalendarDate(), At(2005, 3, 1));

    c.SetCalendarDate(At(1900, 6, 10));
    c.ChangeYear(-1);
    EXPECT_TIME_EQ(c.CalendarDate(), At(1900, 6, 1));

    c.SelectedDate = At(2006, 3, 15);
    c.SetViewMode(vmWeek);
    c.ChangeDate(deCurrentView, 1);
    EXPECT_TIME_EQ(c.CalendarDate(), At(2006, 3, 22));
    c.SelectedDate = At(2006, 3, 22);
    c.SetViewMode(vmDay);
    c.ChangeDate(deCurrentView, -1);
    EXPECT_TIME_EQ(c.CalendarDate(), At(2006, 3, 21));
    c.ChangeDate(deYear, 1);
    EXPECT_TIME_EQ(c.CalendarDate(), At(2007, 3, 1));
}

TEST(DrawCalendarGeometry, ViewSwitchNeedsAPressedDay) {
    TvnDrawCalendar c;
    c.SetCalendarDate(At(2024, 5, 5));
    c.SetViewMode(vmDay);
    EXPECT_EQ(c.ViewMode(), vmMonth);
    c.SelectedDate = At(2024, 5, 7);
    c.SetViewMode(vmDay);
    EXPECT_EQ(c.ViewMode(), vmDay);
    EXPECT_TIME_EQ(c.CalendarDate(), At(2024, 5, 7));
    EXPECT_TIME_EQ(c.SelectedDate, 0);
}

TEST(DrawCalendarGeometry, ChangeOfDateNotifiesWithTitle) {
    TvnDrawCalendar c;
    QString title;
    int year = 0, month = 0, day = 0;
    TDateTime firstCellSeen = 0;
    c.OnChangeCalendarDate = [&](TvnDrawCalendar* sender, const QString& t, int y, int m, int d) {
        title = t;
        year = y, month = m, day = d;
        firstCellSeen = sender->FirstDate();
    };
    const TDateTime firstCellBefore = c.FirstDate();
    c.SetCalendarDate(At(2024, 7, 4));
    // Told before the view is recomputed: the old cells still stand.
    EXPECT_TIME_EQ(firstCellSeen, firstCellBefore);
    EXPECT_TIME_EQ(c.FirstDate(), At(2024, 7, 1));
    EXPECT_EQ(title, "July, 2024");
    EXPECT_EQ(year, 2024);
    EXPECT_EQ(month, 7);
    EXPECT_EQ(day, 4);
    c.SelectedDate = At(2024, 7, 4);
    c.SetViewMode(vmDay);
    EXPECT_EQ(title, "July 4 (Thursday), 2024");
    c.SelectedDate = At(2024, 7, 4);
    c.SetViewMode(vmYear);
    EXPECT_EQ(title, "2024");
}

TEST(DrawCalendarGeometry, MousePressOnBordersAndGapsHitsNoCell) {
    Fixture f(At(2024, 3, 15));
    TvnDrawCalendar& c = *f.cal;
    struct Row {
        int x, y, col, row;
    };
    // Cell (0, 0) is (9, 26, 54, 60), cell (1, 0) starts at 56.
    const Row rows[] = {{9, 40, -1, 0}, {54, 40, -1, 0}, {55, 40, -1, 0}, {10, 40, 0, 0},
                        {53, 40, 0, 0}, {57, 40, 1, 0},  {30, 26, 0, -1}, {30, 61, 0, -1},
                        {30, 63, 0, 1}, {2, 2, -1, -1}};
    for (const Row& r : rows) {
        c.MouseDown(Qt::LeftButton, {}, r.x, r.y);
        EXPECT_EQ(c.SelCol, r.col) << r.x << "," << r.y;
        EXPECT_EQ(c.SelRow, r.row) << r.x << "," << r.y;
        if (r.col == -1 || r.row == -1) {
            EXPECT_TIME_EQ(c.SelectedDate, 0);
        }
    }
    c.MouseDown(Qt::LeftButton, {}, 100, 100);
    EXPECT_TIME_EQ(c.SelectedDate, c.CellToDate(c.SelCol, c.SelRow));
    EXPECT_NE(c.SelectedDate, 0);
}

TEST(DrawCalendarGeometry, PressInDayNumberBandSelectsNoLine) {
    Fixture f(At(2024, 3, 15));
    TvnDrawCalendar& c = *f.cal;
    c.resize(700, 500);
    c.CalcTitlesRects();
    c.CalcCellsRects();
    const TRect cell = c.GetCellRect(2, 1);
    const int band = cell.Top + c.DayNumberHeight;
    c.MouseDown(Qt::LeftButton, {}, cell.Left + 5, band);
    EXPECT_EQ(c.SelItem, -1);
    c.MouseDown(Qt::LeftButton, {}, cell.Left + 5, band + 1);
    EXPECT_EQ(c.SelItem, 0);
    c.MouseDown(Qt::LeftButton, {}, cell.Left + 5, band + c.ItemHeight + 1);
    EXPECT_EQ(c.SelItem, 1);
    f.ShowView(vmYear, At(2024, 3, 15));
    c.MouseDown(Qt::LeftButton, {}, 50, 80);
    EXPECT_EQ(c.SelItem, -1);
    EXPECT_TIME_EQ(c.SelectedDate, At(2024, 1, 1));
}

TEST(DrawCalendarGeometry, DayChangeOutsideShownMonthNotifiesWithoutRepaint) {
    ScopedClock clock(At(2024, 3, 31, 23, 59, 59));
    TvnDrawCalendar c;
    c.SetCalendarDate(At(2024, 1, 10));
    c.BackBuffer();
    int notified = 0, day = 0;
    c.OnChangeCarrentDate = [&](TvnDrawCalendar*, int, int, int d) {
        ++notified;
        day = d;
    };
    clock.Set(At(2024, 4, 1, 0, 0, 1));
    c.OnTimer(nullptr);
    EXPECT_TIME_EQ(c.CurrDate(), At(2024, 4, 1));
    EXPECT_EQ(notified, 1);
    EXPECT_EQ(day, 1);
    EXPECT_FALSE(c.RepaintPending());
    c.OnTimer(nullptr);
    EXPECT_EQ(notified, 1);

    c.SetCalendarDate(At(2024, 4, 10));
    c.BackBuffer();
    clock.Set(At(2024, 4, 2, 0, 0, 1));
    c.OnTimer(nullptr);
    EXPECT_TRUE(c.RepaintPending());
}

TEST(DrawCalendarGeometry, DayChangeLeftTheOldTodayHighlightedOnTheLastShownDay) {
    // A week view left open over Sunday night: the new today is not shown,
    // but the old one is and must lose its fill.
    ScopedClock clock(At(2024, 3, 17, 23, 59, 59));
    TvnDrawCalendar c;
    c.resize(700, 300);
    c.SelectedDate = At(2024, 3, 17);
    c.SetViewMode(vmWeek);
    c.BackBuffer();
    const TRect sunday = c.GetCellRect(6, 0);
    EXPECT_SAME_PIXEL(c.BackBuffer().pixel(sunday.Right - 4, sunday.Bottom - 4) | 0xFF000000u,
                      ColorToRgb(c.ColorCurrDay) | 0xFF000000u);
    clock.Set(At(2024, 3, 18, 0, 0, 1));
    c.OnTimer(nullptr);
    EXPECT_TRUE(c.RepaintPending());
    EXPECT_OTHER_PIXEL(c.BackBuffer().pixel(sunday.Right - 4, sunday.Bottom - 4) | 0xFF000000u,
                       ColorToRgb(c.ColorCurrDay) | 0xFF000000u);
}

TEST(DrawCalendarGeometry, DisplayTimeFiresWithinItsSecond) {
    ScopedClock clock(At(2024, 3, 1, 8, 59, 59));
    TvnDrawCalendar c;
    c.DisplayTime = EncodeTime(9, 0, 0, 0);
    int shown = 0;
    c.OnDisplayCalendar = [&](TvnDrawCalendar*) { ++shown; };
    c.OnTimer(nullptr);
    EXPECT_EQ(shown, 0);
    clock.Set(At(2024, 3, 1, 9, 0, 0) + 0.5 / SecsPerDay);
    c.OnTimer(nullptr);
    EXPECT_EQ(shown, 1);
    clock.Set(At(2024, 3, 1, 9, 0, 2));
    c.OnTimer(nullptr);
    EXPECT_EQ(shown, 1);
    c.DisplayTime = 0;
    clock.Set(At(2024, 3, 2, 0, 0, 0));
    c.OnTimer(nullptr);
    EXPECT_EQ(shown, 1);
}

TEST(DrawCalendarGeometry, TimerStaysOffUntilActivated) {
    TvnDrawCalendar c;
    const auto* timer = c.findChild<QTimer*>();
    ASSERT_NE(timer, nullptr);
    EXPECT_FALSE(timer->isActive());
    EXPECT_EQ(timer->interval(), 1000);
    c.Activate();
    EXPECT_TRUE(timer->isActive());
}

TEST(DrawCalendarGeometry, AbsurdDatesStayInsideTheCalendar) {
    TvnDrawCalendar c;
    c.SetCalendarDate(std::numeric_limits<double>::quiet_NaN());
    EXPECT_FALSE(std::isnan(c.CalendarDate()));
    c.SetCalendarDate(1e12);
    EXPECT_LE(c.LastDate(), MaxDateTime + 42);
    c.ChangeMonth(1);
    c.ChangeYear(1000000);
    int y = 0, m = 0, d = 0;
    DecodeDate(c.CalendarDate(), y, m, d);
    EXPECT_EQ(y, MaxYear);
    c.SetCalendarDate(-1e12);
    c.ChangeYear(-5);
    DecodeDate(c.CalendarDate(), y, m, d);
    EXPECT_EQ(y, 1900);
}
