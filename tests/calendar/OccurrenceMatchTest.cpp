// Matching of events and holidays to the shown days, without tables.
#include <gtest/gtest.h>

#include <chrono>
#include <limits>
#include <set>

#include "calendar/Vndbdrawcalendar_match.h"
#include "support/TestSupport.h"

namespace {

// The grid a control shows for a date in a view (Monday first).
TvnCalendarGrid RangeOf(TvnViewModes mode, TDateTime date) {
    return TvnCalendarGrid(mode, date);
}

// The shown days an event falls on, as dates.
std::set<TDateTime> DaysOf(const TvnEventDays& event, const TvnCalendarGrid& range) {
    std::array<bool, CalendarCellCount> flags{};
    const bool any = MatchEventCells(event, range, flags);
    std::set<TDateTime> days;
    for (int n = 0; n < CalendarCellCount; ++n)
        if (flags[n]) days.insert(range.FirstDate() + n);
    EXPECT_EQ(any, !days.empty());
    return days;
}

TvnEventDays Event(TDateTime start, int recurrence, int n = 1, TDateTime end = 0) {
    TvnEventDays e;
    e.Date = start;
    e.Recurrence = recurrence;
    e.nParam = n;
    e.EndDate = end;
    e.UseEndDate = end != 0;
    return e;
}

std::set<TDateTime> Dates(std::initializer_list<TDateTime> list) {
    return std::set<TDateTime>(list);
}

}  // namespace

TEST(OccurrenceMatch, OneTimeEventMarksItsDayOnly) {
    const TvnCalendarGrid march = RangeOf(vmMonth, At(2024, 3, 1));
    EXPECT_EQ(DaysOf(Event(At(2024, 3, 20, 14, 30), rkOnce), march), Dates({At(2024, 3, 20)}));
    EXPECT_EQ(DaysOf(Event(At(2024, 2, 26), rkOnce), march), Dates({At(2024, 2, 26)}));
    EXPECT_TRUE(DaysOf(Event(At(2024, 2, 25), rkOnce), march).empty());
    EXPECT_TRUE(DaysOf(Event(At(2024, 3, 20), rkOnce), RangeOf(vmYear, At(2024, 3, 1))).empty());
}

TEST(OccurrenceMatch, MonthlyClampsTheDayToEachMonth) {
    const TvnEventDays e = Event(At(2024, 1, 31), rkMonthly);
    EXPECT_TRUE(DaysOf(e, RangeOf(vmMonth, At(2024, 2, 1))).count(At(2024, 2, 29)));
    EXPECT_TRUE(DaysOf(e, RangeOf(vmMonth, At(2024, 3, 1))).count(At(2024, 3, 31)));
    EXPECT_TRUE(DaysOf(e, RangeOf(vmMonth, At(2024, 4, 1))).count(At(2024, 4, 30)));
    EXPECT_TRUE(DaysOf(Event(At(2023, 1, 31), rkMonthly), RangeOf(vmMonth, At(2023, 2, 1)))
                    .count(At(2023, 2, 28)));
}

TEST(OccurrenceMatch, MonthlyEveryTwoMonthsSkipsTheMonthsBetween) {
    const TvnEventDays e = Event(At(2024, 1, 15), rkMonthly, 2);
    EXPECT_TRUE(DaysOf(e, RangeOf(vmMonth, At(2024, 2, 1))).empty());
    EXPECT_EQ(DaysOf(e, RangeOf(vmMonth, At(2024, 3, 1))), Dates({At(2024, 3, 15)}));
    EXPECT_TRUE(DaysOf(e, RangeOf(vmMonth, At(2024, 4, 1))).empty());
    EXPECT_EQ(DaysOf(e, RangeOf(vmMonth, At(2024, 5, 1))), Dates({At(2024, 5, 15)}));
}

TEST(OccurrenceMatch, MonthlyByWeekdayFromFifthFridayFallsOnFourthFriday) {
    const TvnEventDays e = Event(At(2025, 5, 30), rkMonthlyByWeekday, 7);
    EXPECT_EQ(DaysOf(e, RangeOf(vmMonth, At(2025, 5, 1))), Dates({At(2025, 5, 30)}));
    // June 2025: the view runs from 26 May (with the start itself) to 6 July;
    // each later month it touches gets its fourth Friday.
    EXPECT_EQ(DaysOf(e, RangeOf(vmMonth, At(2025, 6, 1))),
              Dates({At(2025, 5, 30), At(2025, 6, 27)}));
    EXPECT_EQ(DaysOf(e, RangeOf(vmMonth, At(2025, 8, 1))), Dates({At(2025, 8, 22)}));
}

TEST(OccurrenceMatch, AnnualEventAcrossTheYearsEnd) {
    const TvnEventDays jan10 = Event(At(2020, 1, 10), rkAnnually);
    const TvnCalendarGrid january = RangeOf(vmMonth, At(2025, 1, 1));
    ASSERT_LT(january.FirstDate(), At(2025, 1, 1));
    EXPECT_EQ(DaysOf(jan10, january), Dates({At(2025, 1, 10)}));
    const TvnEventDays jan2 = Event(At(2020, 1, 2), rkAnnually);
    EXPECT_EQ(DaysOf(jan2, RangeOf(vmWeek, At(2025, 12, 31))), Dates({At(2026, 1, 2)}));
    const TvnEventDays dec30 = Event(At(2020, 12, 30), rkAnnually);
    EXPECT_EQ(DaysOf(dec30, RangeOf(vmWeek, At(2026, 1, 2))), Dates({At(2025, 12, 30)}));
}

TEST(OccurrenceMatch, AnnualFromLeapDayShowsOnLastFebruaryDay) {
    const TvnEventDays e = Event(At(2024, 2, 29), rkAnnually);
    EXPECT_EQ(DaysOf(e, RangeOf(vmMonth, At(2025, 2, 1))), Dates({At(2025, 2, 28)}));
    EXPECT_EQ(DaysOf(e, RangeOf(vmMonth, At(2028, 2, 1))), Dates({At(2028, 2, 29)}));
    const TvnEventDays everyTwo = Event(At(2024, 6, 1), rkAnnually, 2);
    EXPECT_TRUE(DaysOf(everyTwo, RangeOf(vmMonth, At(2025, 6, 1))).empty());
    EXPECT_EQ(DaysOf(everyTwo, RangeOf(vmMonth, At(2026, 6, 1))), Dates({At(2026, 6, 1)}));
}

TEST(OccurrenceMatch, EndDateStopsTheSeries) {
    const TvnCalendarGrid march = RangeOf(vmMonth, At(2024, 3, 1));  // 26 Feb .. 7 Apr
    EXPECT_TRUE(DaysOf(Event(At(2024, 1, 1), rkDaily, 1, At(2024, 2, 20)), march).empty());
    EXPECT_EQ(DaysOf(Event(At(2024, 2, 27), rkDaily, 1, At(2024, 2, 20)), march),
              Dates({At(2024, 2, 27)}));
    const auto days = DaysOf(Event(At(2024, 3, 1), rkDaily, 1, At(2024, 3, 5)), march);
    EXPECT_EQ(days, Dates({At(2024, 3, 1), At(2024, 3, 2), At(2024, 3, 3), At(2024, 3, 4),
                           At(2024, 3, 5)}));
    EXPECT_TRUE(DaysOf(Event(At(2023, 12, 15), rkMonthly, 1, At(2024, 3, 10)), march)
                    .count(At(2024, 3, 15)) == 0);
}

TEST(OccurrenceMatch, DailyEveryThreeDaysFromBeforeTheRange) {
    const TvnCalendarGrid march = RangeOf(vmMonth, At(2024, 3, 1));
    const auto days = DaysOf(Event(At(2024, 2, 1), rkDaily, 3), march);
    ASSERT_FALSE(days.empty());
    for (TDateTime d : days)
        EXPECT_EQ(int(d - At(2024, 2, 1)) % 3, 0) << DateToStr(d).toStdString();
    EXPECT_TIME_EQ(*days.begin(), At(2024, 2, 28));
    EXPECT_EQ(days.size(), 14u);
}

TEST(OccurrenceMatch, HourlyMarksEveryDayFromItsStart) {
    const TvnCalendarGrid march = RangeOf(vmMonth, At(2024, 3, 1));
    const auto days = DaysOf(Event(At(2024, 3, 10, 8, 0), rkHourly, 6), march);
    EXPECT_EQ(days.size(), size_t(At(2024, 4, 7) - At(2024, 3, 10) + 1));
    EXPECT_TIME_EQ(*days.begin(), At(2024, 3, 10));
}

// Day numbers used to be stepped by a fraction of a day and truncated, which
// marked every day after the first for 36 hours and days with no occurrence
// for 30 hours.
TEST(OccurrenceMatch, HourlySeriesShowsOnlyTheDaysItsOccurrencesFallOn) {
    const TvnCalendarGrid march = RangeOf(vmMonth, At(2024, 3, 1));  // 26 Feb .. 7 Apr
    const auto every36h = DaysOf(Event(At(2024, 2, 1), rkHourly, 36), march);
    EXPECT_EQ(every36h.size(), 28u);  // two days of every three
    for (TDateTime d : every36h)
        EXPECT_NE(int(d - At(2024, 2, 1)) % 3, 2) << DateToStr(d).toStdString();
    // From 22:00 every 30 hours: 22:00, 04:00 two days on, 10:00, 16:00, 22:00.
    const auto every30h = DaysOf(Event(At(2024, 3, 1, 22, 0), rkHourly, 30), march);
    EXPECT_TIME_EQ(*every30h.begin(), At(2024, 3, 1));
    EXPECT_FALSE(every30h.count(At(2024, 3, 2)));
    EXPECT_TRUE(every30h.count(At(2024, 3, 3)));
    EXPECT_FALSE(every30h.count(At(2024, 3, 7)));
    EXPECT_TRUE(every30h.count(At(2024, 3, 8)));
}

// 26 hours from 1 January 2023 00:00 fall on 31 March 2024 00:00, where the
// division of the elapsed time by the step rounds up past that occurrence.
TEST(OccurrenceMatch, HourlyOccurrenceAtMidnightOfAShownDayIsShown) {
    const auto days = DaysOf(Event(At(2023, 1, 1), rkHourly, 26), RangeOf(vmDay, At(2024, 3, 31)));
    EXPECT_EQ(days, Dates({At(2024, 3, 31)}));
}

// Before 30 December 1899 the stored time of day counts away from zero, so
// an occurrence at 18:00 is a smaller number than the start of its day.
TEST(OccurrenceMatch, SeriesFromBefore1900WithATimeOfDay) {
    const TDateTime evening = EncodeTime(18, 0, 0, 0);
    const TDateTime monthly = ComposeDateTime(EncodeDate(1850, 1, 15), evening);
    EXPECT_EQ(DaysOf(Event(monthly, rkMonthly), RangeOf(vmDay, At(1851, 3, 15))),
              Dates({At(1851, 3, 15)}));
    const TDateTime weekly = ComposeDateTime(EncodeDate(1850, 1, 7), evening);  // a Monday
    for (TDateTime d : DaysOf(Event(weekly, rkWeekly), RangeOf(vmMonth, At(2024, 3, 1))))
        EXPECT_EQ(DayOfWeek(d), DayOfWeek(At(1850, 1, 7))) << DateToStr(d).toStdString();
}

TEST(OccurrenceMatch, WeeklyAndIntervalBelowOne) {
    const TvnCalendarGrid march = RangeOf(vmMonth, At(2024, 3, 1));
    const std::set<TDateTime> weekly = DaysOf(Event(At(2024, 1, 3), rkWeekly, 2), march);
    EXPECT_EQ(weekly, Dates({At(2024, 2, 28), At(2024, 3, 13), At(2024, 3, 27)}));
    // An interval below 1 counts as 1: every week, not every day.
    for (int n : {0, -3}) {
        const auto days = DaysOf(Event(At(2024, 1, 3), rkWeekly, n), march);
        EXPECT_EQ(days.size(), 6u) << "nParam " << n;
        const auto monthly = DaysOf(Event(At(2024, 1, 3), rkMonthly, n), march);
        EXPECT_EQ(monthly, Dates({At(2024, 3, 3), At(2024, 4, 3)})) << "nParam " << n;
    }
}

TEST(OccurrenceMatch, AbsurdRowsFinishQuicklyAndMarkNothingWrong) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double dates[] = {0, -1, -1e9, 1e12, nan, -1e300, 1e300, MaxDateTime, MinDateTime};
    const int kinds[] = {-5, 0, 1, 2, 3, 4, 5, 6, 7, 1000};
    const int intervals[] = {std::numeric_limits<int>::min(), -1, 0, 1,
                             std::numeric_limits<int>::max()};
    const TvnCalendarGrid ranges[] = {
        RangeOf(vmMonth, At(2024, 3, 1)), RangeOf(vmMonth, EncodeDate(9999, 12, 1)),
        RangeOf(vmMonth, EncodeDate(1, 1, 1)), RangeOf(vmDay, At(2024, 3, 1))};
    const auto started = std::chrono::steady_clock::now();
    for (const TvnCalendarGrid& range : ranges)
        for (double start : dates)
            for (double end : dates)
                for (int kind : kinds)
                    for (int n : intervals) {
                        TvnEventDays e{start, end, true, kind, n};
                        std::array<bool, CalendarCellCount> flags{};
                        MatchEventCells(e, range, flags);
                        e.UseEndDate = false;
                        MatchEventCells(e, range, flags);
                    }
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(20));
    EXPECT_TRUE(DaysOf(Event(1e12, rkDaily), RangeOf(vmMonth, At(2024, 3, 1))).empty());
    EXPECT_TRUE(DaysOf(Event(nan, rkOnce), RangeOf(vmMonth, At(2024, 3, 1))).empty());
}

// An unknown code counts as "once" for the reminder and the export, and used
// to repeat daily here.
TEST(OccurrenceMatch, UnknownKindShowsTheStartAlone) {
    for (int kind : {-1, 7, 9}) {
        EXPECT_EQ(DaysOf(Event(At(2024, 3, 5), kind), RangeOf(vmMonth, At(2024, 3, 1))),
                  Dates({At(2024, 3, 5)}));
        EXPECT_TRUE(DaysOf(Event(At(2024, 2, 5), kind), RangeOf(vmMonth, At(2024, 3, 1))).empty());
    }
}

// ---- holidays

namespace {

TvnHolidayParams Fixed(int month, int day) {
    TvnHolidayParams h;
    h.Month = uint16_t(month);
    h.Day = uint16_t(day);
    return h;
}

TvnHolidayParams Variable(int month, int weekday, int week) {
    TvnHolidayParams h;
    h.Month = uint16_t(month);
    h.Day = 0;
    h.DayOfWeek = uint16_t(weekday);
    h.NumOfWeek = uint16_t(week);
    return h;
}

TDateTime HolidayShownOn(const TvnHolidayParams& h, const TvnCalendarGrid& range) {
    int col = -1, row = -1;
    if (!MatchHolidayCell(h, range, col, row)) return -1;
    return range.CellToDate(col, row);
}

}  // namespace

TEST(HolidayMatch, ShowsInNeighbouringMonthsCells) {
    EXPECT_TIME_EQ(HolidayShownOn(Fixed(4, 30), RangeOf(vmMonth, At(2024, 5, 1))), At(2024, 4, 30));
    EXPECT_TIME_EQ(HolidayShownOn(Fixed(1, 2), RangeOf(vmMonth, At(2024, 12, 1))), At(2025, 1, 2));
    EXPECT_TIME_EQ(HolidayShownOn(Fixed(12, 31), RangeOf(vmWeek, At(2026, 1, 1))),
                   At(2025, 12, 31));
    EXPECT_EQ(HolidayShownOn(Fixed(7, 4), RangeOf(vmMonth, At(2024, 5, 1))), -1);
    EXPECT_EQ(HolidayShownOn(Fixed(5, 1), RangeOf(vmYear, At(2024, 5, 1))), -1);
}

TEST(HolidayMatch, VariableDates) {
    // May 2024 has four Mondays (6, 13, 20, 27): "last" is the fourth.
    EXPECT_TIME_EQ(HolidayShownOn(Variable(5, 1, 5), RangeOf(vmMonth, At(2024, 5, 1))),
                   At(2024, 5, 27));
    // April 2024 has five Mondays (1, 8, 15, 22, 29): "last" is the fifth.
    EXPECT_TIME_EQ(HolidayShownOn(Variable(4, 1, 5), RangeOf(vmMonth, At(2024, 4, 1))),
                   At(2024, 4, 29));
    EXPECT_TIME_EQ(HolidayShownOn(Variable(11, 4, 4), RangeOf(vmMonth, At(2024, 11, 1))),
                   At(2024, 11, 28));
    EXPECT_TIME_EQ(HolidayShownOn(Variable(5, 1, 2), RangeOf(vmMonth, At(2024, 5, 1))),
                   At(2024, 5, 13));
}

TEST(HolidayMatch, DayTheMonthLacksIsNotShownThatYear) {
    EXPECT_EQ(HolidayShownOn(Fixed(2, 29), RangeOf(vmMonth, At(2025, 2, 1))), -1);
    EXPECT_TIME_EQ(HolidayShownOn(Fixed(2, 29), RangeOf(vmMonth, At(2024, 2, 1))), At(2024, 2, 29));
    EXPECT_EQ(HolidayShownOn(Fixed(4, 31), RangeOf(vmMonth, At(2024, 4, 1))), -1);
    EXPECT_EQ(HolidayShownOn(Fixed(13, 1), RangeOf(vmMonth, At(2024, 12, 1))), -1);
    EXPECT_EQ(HolidayShownOn(Variable(5, 9, 1), RangeOf(vmMonth, At(2024, 5, 1))), -1);
    EXPECT_EQ(HolidayShownOn(Fixed(65535, 65535), RangeOf(vmMonth, At(2024, 5, 1))), -1);
}
