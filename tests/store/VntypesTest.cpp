#include <gtest/gtest.h>

#include <limits>

#include "store/Vntypes.h"
#include "support/TestSupport.h"

TEST(Vntypes, DaysPerMonthFollowsTheGregorianLeapRule) {
    EXPECT_EQ(DaysPerMonth(1900, 2), 28);
    EXPECT_EQ(DaysPerMonth(2000, 2), 29);
    EXPECT_EQ(DaysPerMonth(2004, 2), 29);
    EXPECT_EQ(DaysPerMonth(2006, 2), 28);
    const int lengths[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    for (int m = 1; m <= 12; ++m)
        EXPECT_EQ(DaysPerMonth(2023, m), lengths[m - 1]) << m;
}

TEST(Vntypes, WeekdayAndWeekOfMonth) {
    const struct {
        TDateTime date;
        int dWeek, nWeek;
    } rows[] = {
        {EncodeDate(2024, 3, 10), 7, 2},  // a Sunday
        {EncodeDate(2024, 3, 11), 1, 2},  // a Monday
        {EncodeDate(2024, 3, 7), 4, 1},  {EncodeDate(2024, 3, 8), 5, 2},
        {EncodeDate(2024, 3, 21), 4, 3}, {EncodeDate(2024, 3, 22), 5, 4},
        {EncodeDate(2024, 3, 29), 5, 4}, {EncodeDate(2024, 3, 30), 6, 4},
        {EncodeDate(2024, 3, 31), 7, 4}, {At(2024, 3, 1, 23, 59), 5, 1},
    };
    for (const auto& row : rows) {
        int dWeek = 0, nWeek = 0;
        dWeek_And_nWeek(row.date, dWeek, nWeek);
        EXPECT_EQ(dWeek, row.dWeek) << qPrintable(DateToStr(row.date));
        EXPECT_EQ(nWeek, row.nWeek) << qPrintable(DateToStr(row.date));
    }
}

TEST(Vntypes, DayNumberTruncatesTowardZeroAndSaturates) {
    EXPECT_EQ(DayNumber(100.99), 100);
    EXPECT_EQ(DayNumber(100.0), 100);
    EXPECT_EQ(DayNumber(-1.5), -1);
    EXPECT_EQ(DayNumber(std::numeric_limits<double>::quiet_NaN()), 0);
    EXPECT_EQ(DayNumber(1e300), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(DayNumber(-1e300), std::numeric_limits<int32_t>::min());
}

TEST(Vntypes, CeilAddsOneOnlyForAPositiveFraction) {
    EXPECT_EQ(Ceil(2.0), 2);
    EXPECT_EQ(Ceil(2.01), 3);
    EXPECT_EQ(Ceil(0), 0);
    EXPECT_EQ(Ceil(-0.5), 0);
    EXPECT_EQ(Ceil(-1.5), -1);
}

TEST(Vntypes, OccurrenceDayOfMonthKeepsWeekdayAndWeek) {
    // 9 January 2024: second Tuesday.
    EXPECT_EQ(OccurrenceDayOfMonth(EncodeDate(2024, 1, 9), 2024, 3), 12);
    EXPECT_EQ(OccurrenceDayOfMonth(EncodeDate(2024, 1, 9), 2024, 4), 9);
    // 30 May 2025 (fifth Friday) gives the fourth Friday of every month.
    const TDateTime fifthFriday = EncodeDate(2025, 5, 30);
    EXPECT_EQ(OccurrenceDayOfMonth(fifthFriday, 2025, 6), 27);
    EXPECT_EQ(OccurrenceDayOfMonth(fifthFriday, 2025, 8), 22);
    for (int y = 2020; y <= 2030; ++y) {
        for (int m = 1; m <= 12; ++m) {
            const int d = OccurrenceDayOfMonth(fifthFriday, y, m);
            ASSERT_GE(d, 1);
            ASSERT_LE(d, 28);
            EXPECT_EQ(DayOfWeek(EncodeDate(y, m, d)), 6) << y << "-" << m;  // a Friday
        }
    }
}

TEST(Vntypes, VariableHolidayOnTheLastWeekdayOfAMonth) {
    TvnHolidayParams lastMonday;
    lastMonday.Month = 5;
    lastMonday.Day = 0;
    lastMonday.DayOfWeek = 1;
    lastMonday.NumOfWeek = 5;
    TDateTime date = 0;
    ASSERT_TRUE(HolidayDateInYear(lastMonday, 2023, date));  // May 2023 has five Mondays
    EXPECT_TIME_EQ(date, EncodeDate(2023, 5, 29));
    ASSERT_TRUE(HolidayDateInYear(lastMonday, 2024, date));  // four: 6, 13, 20, 27
    EXPECT_TIME_EQ(date, EncodeDate(2024, 5, 27));
    ASSERT_TRUE(HolidayDateInYear(lastMonday, 2021, date));  // May 2021: 3, 10, 17, 24, 31
    EXPECT_TIME_EQ(date, EncodeDate(2021, 5, 31));
    lastMonday.Month = 2;
    ASSERT_TRUE(HolidayDateInYear(lastMonday, 2021, date));  // February 2021 has four
    EXPECT_TIME_EQ(date, EncodeDate(2021, 2, 22));
}

TEST(Vntypes, VariableHolidayOnTheNthWeekday) {
    TvnHolidayParams h;
    h.Month = 10;
    h.Day = 0;
    h.DayOfWeek = 1;  // second Monday of October
    h.NumOfWeek = 2;
    TDateTime date = 0;
    ASSERT_TRUE(HolidayDateInYear(h, 2024, date));
    EXPECT_TIME_EQ(date, EncodeDate(2024, 10, 14));
    h.DayOfWeek = 2;  // first Tuesday: 1 October 2024 is a Tuesday
    h.NumOfWeek = 1;
    ASSERT_TRUE(HolidayDateInYear(h, 2024, date));
    EXPECT_TIME_EQ(date, EncodeDate(2024, 10, 1));
}

TEST(Vntypes, FixedHolidayOnADayTheMonthLacksHasNoDateThatYear) {
    TvnHolidayParams h;
    h.Month = 2;
    h.Day = 29;
    TDateTime date = 0;
    EXPECT_FALSE(HolidayDateInYear(h, 2023, date));
    EXPECT_TRUE(HolidayDateInYear(h, 2024, date));
    h.Month = 4;
    h.Day = 31;
    EXPECT_FALSE(HolidayDateInYear(h, 2024, date));
    h.Month = 13;
    h.Day = 1;
    EXPECT_FALSE(HolidayDateInYear(h, 2024, date));
    h.Month = 5;
    h.Day = 0;
    h.DayOfWeek = 8;
    h.NumOfWeek = 1;
    EXPECT_FALSE(HolidayDateInYear(h, 2024, date));
}

TEST(Vntypes, CaptionsOfTheStoredCodes) {
    EXPECT_EQ(RecurrenceCaption(rkMonthlyByWeekday), "Montly variably");
    EXPECT_EQ(RecurrenceCaption(7), "");
    EXPECT_EQ(CategoryCaption(ecMeeting), "Meeting");
    EXPECT_EQ(CategoryCaption(-1), "");
    EXPECT_EQ(IntervalUnitCaption(rkWeekly), "Week(s)");
    EXPECT_EQ(NotifyTypeCaption(ntDays), "Day(s)");
    EXPECT_EQ(NumOfWeekName(5), "last");
    EXPECT_EQ(DayOfWeekName(7), "Sunday");
    EXPECT_EQ(EventTypeCaption(etRecurring), "Recurring event");
    EXPECT_DOUBLE_EQ(NotifyUnitDays(ntMinutes), 1.0 / 1440);
    EXPECT_EQ(NotifyUnitDays(3), 0);
}
