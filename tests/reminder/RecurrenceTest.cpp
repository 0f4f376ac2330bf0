#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "reminder/Vnrecurrence.h"
#include "support/EventRecords.h"
#include "support/TestSupport.h"

namespace {

TvnEventParams Event(int recurrence, TDateTime start, int nParam = 1) {
    return EventRecord({}, start, recurrence, nParam);
}

TvnEventParams Computed(TvnEventParams e, TDateTime now) {
    CalcEventNotifyDate(&e, now);
    return e;
}

const TDateTime kNow = At(2024, 3, 15, 10, 0);

}  // namespace

// The worked rules, each with now = 2024-03-15 10:00 unless the row says otherwise.
struct WorkedRule {
    const char* name;
    TvnEventParams event;
    TDateTime now;
    TDateTime expected;
};

void PrintTo(const WorkedRule& row, std::ostream* os) {
    *os << row.name;
}

class WorkedRules : public ::testing::TestWithParam<WorkedRule> {};

TEST_P(WorkedRules, GiveTheNextRunDate) {
    const WorkedRule& row = GetParam();
    const TvnEventParams e = Computed(row.event, row.now);
    EXPECT_FALSE(e.Completed);
    EXPECT_SAME_TIME(e.RunDate, row.expected);
}

TvnEventParams MonthlyNotifiedOneDayAhead() {
    TvnEventParams e = Event(rkMonthly, At(2024, 3, 1, 9, 0));
    e.Notify = true;
    e.NotifyParam = 1;
    e.NotifyType = ntDays;
    return e;
}

INSTANTIATE_TEST_SUITE_P(
    Recurrence, WorkedRules,
    ::testing::Values(
        WorkedRule{"DailyEveryTwoDays", Event(rkDaily, At(2024, 3, 1, 9, 0), 2), kNow,
                   At(2024, 3, 17, 9, 0)},
        WorkedRule{"HourlyEveryThreeHours", Event(rkHourly, At(2024, 3, 15, 8, 30), 3), kNow,
                   At(2024, 3, 15, 11, 30)},
        WorkedRule{"MonthlyFromThe31stOfJanuary", Event(rkMonthly, At(2024, 1, 31, 9, 0)), kNow,
                   At(2024, 3, 31, 9, 0)},
        WorkedRule{"MonthlyShortenedThenSecondTry", Event(rkMonthly, At(2023, 12, 31, 9, 0)),
                   At(2024, 4, 30, 10, 0), At(2024, 5, 31, 9, 0)},
        WorkedRule{"AnnuallyFrom29February2020", Event(rkAnnually, At(2020, 2, 29, 8, 0)), kNow,
                   At(2025, 2, 28, 8, 0)},
        WorkedRule{"AnnuallyFrom29February2024", Event(rkAnnually, At(2024, 2, 29, 8, 0)),
                   At(2027, 3, 1, 10, 0), At(2028, 2, 29, 8, 0)},
        WorkedRule{"MonthlyOnTheSecondTuesday", Event(rkMonthlyByWeekday, At(2024, 1, 9, 8, 0)),
                   kNow, At(2024, 4, 9, 8, 0)},
        WorkedRule{"MonthlyNotifiedOneDayAhead", MonthlyNotifiedOneDayAhead(),
                   At(2024, 4, 15, 10, 0), At(2024, 4, 29, 9, 0)}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Recurrence, OneTimeEventInThePastIsCompletedAtOnce) {
    const TvnEventParams e = Computed(Event(rkOnce, At(2024, 3, 15, 9, 59)), kNow);
    EXPECT_TRUE(e.Completed);
    EXPECT_TIME_EQ(e.RunDate, 0);
}

TEST(Recurrence, OneTimeEventAheadRunsAtItsStartMinusTheLead) {
    TvnEventParams e = Event(rkOnce, At(2024, 3, 15, 12, 0));
    e.Notify = true;
    e.NotifyParam = 30;
    e.NotifyType = ntMinutes;
    e = Computed(e, kNow);
    EXPECT_FALSE(e.Completed);
    EXPECT_SAME_TIME(e.RunDate, At(2024, 3, 15, 11, 30));
}

TEST(Recurrence, LeadThatPassesNowCompletesAOneTimeEvent) {
    TvnEventParams e = Event(rkOnce, At(2024, 3, 15, 11, 0));
    e.Notify = true;
    e.NotifyParam = 2;
    e.NotifyType = ntHours;
    EXPECT_TRUE(Computed(e, kNow).Completed);
}

TEST(Recurrence, FutureStartIsKeptForEveryKind) {
    for (int kind = rkOnce; kind <= rkAnnually; ++kind) {
        const TvnEventParams e = Computed(Event(kind, At(2024, 6, 1, 9, 0), 2), kNow);
        EXPECT_FALSE(e.Completed) << kind;
        EXPECT_TIME_EQ(e.RunDate, At(2024, 6, 1, 9, 0)) << kind;
    }
}

TEST(Recurrence, FutureStartAfterItsEndDateIsCompleted) {
    TvnEventParams e = Event(rkDaily, At(2024, 6, 1, 9, 0));
    e.UseEndDate = true;
    e.EndDate = At(2024, 5, 1, 0, 0);
    EXPECT_TRUE(Computed(e, kNow).Completed);
}

TEST(Recurrence, EndDateComparesTheFullDateTime) {
    TvnEventParams e = Event(rkDaily, At(2024, 3, 1, 18, 0));
    e.UseEndDate = true;
    e.EndDate = At(2024, 3, 15, 12, 0);  // the next run, 15 March 18:00, lies after it
    e = Computed(e, kNow);
    EXPECT_TRUE(e.Completed);
    EXPECT_TIME_EQ(e.RunDate, 0);
    e.EndDate = At(2024, 3, 15, 18, 0);
    e = Computed(e, kNow);
    EXPECT_FALSE(e.Completed);
    EXPECT_SAME_TIME(e.RunDate, At(2024, 3, 15, 18, 0));
}

TEST(Recurrence, MissedOccurrencesAreNotCaughtUpOneByOne) {
    const TvnEventParams e = Computed(Event(rkWeekly, At(2020, 1, 6, 9, 0)), kNow);
    EXPECT_GT(e.RunDate, kNow);
    EXPECT_LE(e.RunDate, kNow + 7);
    EXPECT_EQ(DayOfWeek(e.RunDate), DayOfWeek(At(2020, 1, 6)));
}

TEST(Recurrence, MonthlyOnThe31stIsShortenedAfreshEachMonth) {
    const TvnEventParams start = Event(rkMonthly, At(2024, 1, 31, 9, 0));
    const struct {
        TDateTime now, expected;
    } rows[] = {
        {At(2024, 2, 1), At(2024, 2, 29, 9, 0)},    {At(2024, 3, 1), At(2024, 3, 31, 9, 0)},
        {At(2024, 4, 1), At(2024, 4, 30, 9, 0)},    {At(2024, 5, 1), At(2024, 5, 31, 9, 0)},
        {At(2025, 2, 1), At(2025, 2, 28, 9, 0)},    {At(2024, 4, 30, 9, 1), At(2024, 5, 31, 9, 0)},
        {At(2024, 12, 31, 10), At(2025, 1, 31, 9)},
    };
    for (const auto& row : rows) {
        EXPECT_TIME_EQ(Computed(start, row.now).RunDate, row.expected)
            << qPrintable(DateTimeToStr(row.now));
    }
}

TEST(Recurrence, MonthlyEveryThreeMonthsKeepsItsPhase) {
    const TvnEventParams e = Computed(Event(rkMonthly, At(2024, 1, 15, 9, 0), 3), kNow);
    EXPECT_TIME_EQ(e.RunDate, At(2024, 4, 15, 9, 0));
    EXPECT_TIME_EQ(
        Computed(Event(rkMonthly, At(2023, 11, 20, 9), 3), At(2024, 2, 20, 9, 30)).RunDate,
        At(2024, 5, 20, 9, 0));
}

TEST(Recurrence, AnnualEveryFourYearsFromALeapDay) {
    EXPECT_TIME_EQ(Computed(Event(rkAnnually, At(2016, 2, 29, 8), 4), kNow).RunDate,
                   At(2028, 2, 29, 8, 0));
    EXPECT_TIME_EQ(Computed(Event(rkAnnually, At(2016, 2, 29, 8), 4), At(2020, 2, 1)).RunDate,
                   At(2020, 2, 29, 8, 0));
}

TEST(Recurrence, MonthlyByWeekdayFromTheFifthFridayUsesTheFourth) {
    // 31 May 2024 is the fifth Friday; the fourth Friday of June 2024 is the 28th.
    const TvnEventParams e =
        Computed(Event(rkMonthlyByWeekday, At(2024, 5, 31, 9)), At(2024, 6, 1, 10));
    EXPECT_TIME_EQ(e.RunDate, At(2024, 6, 28, 9, 0));
}

TEST(Recurrence, MonthlyByWeekdayStaysTodayUntilItsTimePasses) {
    const TvnEventParams start = Event(rkMonthlyByWeekday, At(2024, 1, 9, 18, 0));
    // 12 March 2024 is the second Tuesday.
    EXPECT_TIME_EQ(Computed(start, At(2024, 3, 12, 10)).RunDate, At(2024, 3, 12, 18, 0));
    EXPECT_TIME_EQ(Computed(start, At(2024, 3, 12, 19)).RunDate, At(2024, 4, 9, 18, 0));
}

TEST(Recurrence, MonthlyByWeekdayAddsAWeekWhenTwentyEightDaysChangeTheWeek) {
    // First Monday: 1 January 2024. Past the first Monday of April (1 April),
    // 1 April + 28 is 29 April, the fifth Monday, so a week is added: 6 May.
    const TvnEventParams start = Event(rkMonthlyByWeekday, At(2024, 1, 1, 9, 0));
    EXPECT_TIME_EQ(Computed(start, At(2024, 4, 2, 10)).RunDate, At(2024, 5, 6, 9, 0));
}

TEST(Recurrence, MonthlyByWeekdayLeadCrossingMidnight) {
    // 9 April 2024 (second Tuesday) at 01:00, notified two hours ahead: the time
    // of day of the lead survives (23:00), the day stays the occurrence day.
    TvnEventParams e = Event(rkMonthlyByWeekday, At(2024, 1, 9, 1, 0));
    e.Notify = true;
    e.NotifyParam = 2;
    e.NotifyType = ntHours;
    EXPECT_SAME_TIME(Computed(e, At(2024, 3, 20)).RunDate, At(2024, 4, 9, 23, 0));
    e.NotifyParam = 1;
    e.NotifyType = ntDays;
    EXPECT_SAME_TIME(Computed(e, At(2024, 3, 20)).RunDate, At(2024, 4, 9, 1, 0));
}

TEST(Recurrence, UnknownCodesGiveNoLeadAndNoRepetition) {
    TvnEventParams e = Event(rkOnce, At(2024, 3, 15, 12, 0));
    e.Notify = true;
    e.NotifyParam = 5;
    e.NotifyType = 7;
    EXPECT_TIME_EQ(Computed(e, kNow).RunDate, At(2024, 3, 15, 12, 0));
    TvnEventParams odd = Event(9, At(2024, 3, 1, 9, 0));
    EXPECT_TRUE(Computed(odd, kNow).Completed);
}

// Before 30 December 1899 the stored time of day counts away from zero; steps
// added to that number used to announce a 06:00 event at 18:00.
TEST(Recurrence, StepSeriesFromBefore1900KeepsItsTimeOfDay) {
    const TDateTime start = ComposeDateTime(EncodeDate(1850, 1, 1), EncodeTime(6, 0, 0, 0));
    EXPECT_SAME_TIME(Computed(Event(rkDaily, start), kNow).RunDate, At(2024, 3, 16, 6, 0));
    // 63,627 days from the start to 16 March 2024: odd, so every 48 hours gives the 17th.
    EXPECT_SAME_TIME(Computed(Event(rkHourly, start, 48), kNow).RunDate, At(2024, 3, 17, 6, 0));
    EXPECT_SAME_TIME(Computed(Event(rkMonthly, start), kNow).RunDate, At(2024, 4, 1, 6, 0));
}

TEST(Recurrence, NotifyClearIgnoresTheLeadFields) {
    TvnEventParams e = Event(rkOnce, At(2024, 3, 15, 12, 0));
    e.NotifyParam = 99;
    e.NotifyType = ntDays;
    EXPECT_TIME_EQ(Computed(e, kNow).RunDate, At(2024, 3, 15, 12, 0));
}

// A recurring event must never be completed by landing exactly on now.
TEST(Recurrence, ExactHitOnNowMovesToTheNextOccurrence) {
    EXPECT_TIME_EQ(Computed(Event(rkDaily, At(2024, 3, 13, 10, 0)), kNow).RunDate,
                   At(2024, 3, 16, 10, 0));
    EXPECT_TIME_EQ(Computed(Event(rkHourly, At(2024, 3, 15, 4, 0), 2), kNow).RunDate,
                   At(2024, 3, 15, 12, 0));
    EXPECT_EQ(
        Computed(Event(rkMonthlyByWeekday, At(2024, 2, 9, 10, 0)), At(2024, 3, 8, 10, 0)).RunDate,
        At(2024, 4, 12, 10, 0));
    EXPECT_FALSE(Computed(Event(rkDaily, kNow), kNow).Completed);
}

TEST(Recurrence, IntervalBelowOneCountsAsOne) {
    for (int n : {0, -3, std::numeric_limits<int>::min()}) {
        for (int kind : {rkHourly, rkDaily, rkWeekly, rkMonthly, rkAnnually}) {
            const TvnEventParams with = Computed(Event(kind, At(2020, 1, 5, 9), n), kNow);
            const TvnEventParams one = Computed(Event(kind, At(2020, 1, 5, 9), 1), kNow);
            EXPECT_EQ(with.RunDate, one.RunDate) << kind << " " << n;
        }
    }
}

TEST(Recurrence, AbsurdStartsGiveASafeAnswer) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    for (double start : {nan, inf, -inf, 1e300, -1e300, 0.0, -693594.0, 2958466.0}) {
        for (int kind = rkOnce; kind <= rkAnnually + 1; ++kind) {
            TvnEventParams e = Computed(Event(kind, start, 1000000000), kNow);
            EXPECT_TRUE(std::isfinite(e.RunDate)) << start << " " << kind;
            if (e.Completed)
                EXPECT_TIME_EQ(e.RunDate, 0);
            else
                EXPECT_GT(e.RunDate, kNow);
        }
    }
}
