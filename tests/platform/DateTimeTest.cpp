#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "platform/DateTime.h"
#include "support/TestSupport.h"

TEST(DateTime, EncodeDateCountsDaysFromThirtiethDecember1899) {
    EXPECT_EQ(EncodeDate(1899, 12, 30), 0.0);
    EXPECT_EQ(EncodeDate(1900, 1, 1), 2.0);
    EXPECT_EQ(EncodeDate(2024, 3, 12), 45363.0);
    EXPECT_EQ(EncodeDate(1899, 12, 29), -1.0);
    EXPECT_EQ(EncodeDate(1, 1, 1), MinDateTime);
    EXPECT_EQ(EncodeDate(9999, 12, 31), std::trunc(MaxDateTime));
}

TEST(DateTime, DecodeDateRoundTripsEveryDayOfSeveralCenturies) {
    for (int day = -80000; day <= 80000; day += 7) {
        int y = 0, m = 0, d = 0;
        DecodeDate(day, y, m, d);
        ASSERT_EQ(EncodeDate(y, m, d), day) << day;
    }
}

TEST(DateTime, TryEncodeDateRefusesImpossibleDates) {
    TDateTime out = 0;
    EXPECT_FALSE(TryEncodeDate(2023, 2, 29, out));
    EXPECT_TRUE(TryEncodeDate(2024, 2, 29, out));
    EXPECT_FALSE(TryEncodeDate(1900, 2, 29, out));
    EXPECT_FALSE(TryEncodeDate(2024, 13, 1, out));
    EXPECT_FALSE(TryEncodeDate(2024, 4, 31, out));
    EXPECT_FALSE(TryEncodeDate(0, 1, 1, out));
    EXPECT_FALSE(TryEncodeDate(10000, 1, 1, out));
}

TEST(DateTime, EncodeDateClampsOutOfRangeParts) {
    EXPECT_TIME_EQ(EncodeDate(2023, 2, 31), EncodeDate(2023, 2, 28));
    EXPECT_TIME_EQ(EncodeDate(2024, 14, 5), EncodeDate(2024, 12, 5));
    EXPECT_TIME_EQ(EncodeDate(-5, 1, 1), EncodeDate(1, 1, 1));
    EXPECT_TIME_EQ(EncodeDate(12000, 6, 1), EncodeDate(9999, 6, 1));
}

TEST(DateTime, DecodeDateOfValuesOutsideTheCalendarGivesItsEnds) {
    int y = 0, m = 0, d = 0;
    DecodeDate(1e300, y, m, d);
    EXPECT_EQ((std::array{y, m, d}), (std::array{9999, 12, 31}));
    DecodeDate(-1e300, y, m, d);
    EXPECT_EQ((std::array{y, m, d}), (std::array{1, 1, 1}));
    DecodeDate(std::numeric_limits<double>::quiet_NaN(), y, m, d);
    EXPECT_EQ((std::array{y, m, d}), (std::array{1899, 12, 30}));
    DecodeDate(std::numeric_limits<double>::infinity(), y, m, d);
    EXPECT_EQ(y, 9999);
}

TEST(DateTime, NegativeValuesKeepDateAndTimeApart) {
    // -1.25 is 29 December 1899 at 06:00, not 28 December at 18:00.
    int y = 0, m = 0, d = 0, h = 0, n = 0, s = 0, ms = 0;
    DecodeDate(-1.25, y, m, d);
    DecodeTime(-1.25, h, n, s, ms);
    EXPECT_EQ((std::array{y, m, d, h}), (std::array{1899, 12, 29, 6}));
    EXPECT_EQ(ComposeDateTime(-1, 0.25), -1.25);
    EXPECT_EQ(ComposeDateTime(3, 0.25), 3.25);
}

TEST(DateTime, TimeRoundTripsToTheMillisecond) {
    const double t = EncodeTime(13, 45, 30, 250);
    int h = 0, n = 0, s = 0, ms = 0;
    DecodeTime(45363 + t, h, n, s, ms);
    EXPECT_EQ((std::array{h, n, s, ms}), (std::array{13, 45, 30, 250}));
    EXPECT_DOUBLE_EQ(EncodeTime(12, 0, 0, 0), 0.5);
    double out = 0;
    EXPECT_FALSE(TryEncodeTime(24, 0, 0, 0, out));
    EXPECT_FALSE(TryEncodeTime(10, 60, 0, 0, out));
}

TEST(DateTime, DecodeTimeNeverGivesMidnightOfTheNextDay) {
    int h = 0, n = 0, s = 0, ms = 0;
    DecodeTime(45363.99999999999, h, n, s, ms);
    EXPECT_EQ((std::array{h, n, s, ms}), (std::array{23, 59, 59, 999}));
}

TEST(DateTime, DayOfWeekCountsSundayAsOne) {
    EXPECT_EQ(DayOfWeek(EncodeDate(2024, 3, 10)), 1);  // Sunday
    EXPECT_EQ(DayOfWeek(EncodeDate(2024, 3, 11)), 2);  // Monday
    EXPECT_EQ(DayOfWeek(EncodeDate(2024, 3, 16)), 7);  // Saturday
    EXPECT_EQ(DayOfWeek(EncodeDate(1899, 12, 30)), 7);
    EXPECT_EQ(DayOfWeek(EncodeDate(1, 1, 1)), 2);
    EXPECT_EQ(DayOfWeek(45363.75), DayOfWeek(45363));
}

TEST(DateTime, ClockCanBeSetAndRestored) {
    {
        ScopedClock clock(At(2024, 3, 15, 10, 30));
        EXPECT_TIME_EQ(Date(), EncodeDate(2024, 3, 15));
        EXPECT_TIME_EQ(Time(), EncodeTime(10, 30, 0, 0));
        EXPECT_TIME_EQ(Now(), At(2024, 3, 15, 10, 30));
    }
    EXPECT_GT(Now(), EncodeDate(2020, 1, 1));
}
