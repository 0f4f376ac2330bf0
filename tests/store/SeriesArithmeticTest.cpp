// The series core row by row at the edges of months, years and the calendar:
// month steps over the year's end, the day lowered to each month, an exact
// hit that moves on, and series that leave the supported calendar.
#include <gtest/gtest.h>

#include <ostream>

#include "store/Vnseries.h"
#include "support/TestSupport.h"

namespace {

struct SeriesRow {
    const char* name;
    TDateTime first;
    int kind;
    int n;
    TDateTime from;      // the instant asked about
    bool strict;         // NextAfter rather than AtOrAfter
    TDateTime expected;  // 0: no occurrence
};

void PrintTo(const SeriesRow& row, std::ostream* os) {
    *os << row.name;
}

class SeriesSteps : public ::testing::TestWithParam<SeriesRow> {};

TEST_P(SeriesSteps, LandOnTheExpectedOccurrence) {
    const SeriesRow& r = GetParam();
    const TvnSeries series(r.first, r.kind, r.n);
    const std::optional<TDateTime> got =
        r.strict ? series.NextAfter(r.from) : series.AtOrAfter(r.from);
    if (r.expected == 0) {
        EXPECT_FALSE(got.has_value()) << DateTimeToStr(got.value_or(0)).toStdString();
    } else {
        ASSERT_TRUE(got.has_value());
        EXPECT_SAME_TIME(*got, r.expected);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, SeriesSteps,
    ::testing::Values(SeriesRow{"Jan31EveryMonthGivesFeb29In2024", At(2024, 1, 31, 9), rkMonthly, 1,
                                At(2024, 2, 1), false, At(2024, 2, 29, 9)},
                      SeriesRow{"Jan31EveryMonthGivesApril30", At(2024, 1, 31, 9), rkMonthly, 1,
                                At(2024, 4, 1), false, At(2024, 4, 30, 9)},
                      SeriesRow{"TheDayIsLoweredAfreshEachMonth", At(2024, 1, 31, 9), rkMonthly, 1,
                                At(2024, 3, 1), false, At(2024, 3, 31, 9)},
                      SeriesRow{"EveryThreeMonthsSkipsToTheNextStep", At(2023, 11, 15), rkMonthly,
                                3, At(2024, 3, 1), false, At(2024, 5, 15)},
                      SeriesRow{"EveryThreeMonthsHitsTheStepItself", At(2023, 11, 30), rkMonthly, 3,
                                At(2024, 2, 1), false, At(2024, 2, 29)},
                      SeriesRow{"EveryTwoMonthsOverTheYearsEnd", At(2024, 11, 1), rkMonthly, 2,
                                At(2024, 12, 1), false, At(2025, 1, 1)},
                      SeriesRow{"EarlierInTheSameMonthMovesToTheNextStep", At(2024, 1, 20, 9),
                                rkMonthly, 2, At(2024, 3, 20, 10), false, At(2024, 5, 20, 9)},
                      SeriesRow{"ExactHitIsKeptFromAndMovedOnAfter", At(2024, 3, 1, 9), rkDaily, 2,
                                At(2024, 3, 5, 9), false, At(2024, 3, 5, 9)},
                      SeriesRow{"ExactHitMovesOn", At(2024, 3, 1, 9), rkDaily, 2, At(2024, 3, 5, 9),
                                true, At(2024, 3, 7, 9)},
                      SeriesRow{"BeforeTheFirstGivesTheFirst", At(2024, 3, 1, 9), rkWeekly, 3,
                                At(2020, 1, 1), true, At(2024, 3, 1, 9)},
                      SeriesRow{"EveryYearFromTheLeapDay", At(2024, 2, 29, 8), rkAnnually, 1,
                                At(2025, 1, 1), false, At(2025, 2, 28, 8)},
                      SeriesRow{"EveryFourYearsFromTheLeapDay", At(2024, 2, 29, 8), rkAnnually, 4,
                                At(2025, 1, 1), false, At(2028, 2, 29, 8)},
                      SeriesRow{"EveryTwoYearsFromAnOddYear", At(2023, 6, 1), rkAnnually, 2,
                                At(2024, 1, 1), false, At(2025, 6, 1)},
                      SeriesRow{"FifthFridayRecursOnTheFourth", At(2024, 5, 31, 9),
                                rkMonthlyByWeekday, 1, At(2024, 6, 1), false, At(2024, 6, 28, 9)},
                      SeriesRow{"OnceHasNothingAfterItsStart", At(2024, 3, 1, 9), rkOnce, 1,
                                At(2024, 3, 1, 9), true, 0},
                      SeriesRow{"UnknownCodeCountsAsOnce", At(2024, 3, 1, 9), 7, 1, At(2024, 3, 2),
                                false, 0},
                      SeriesRow{"MonthsPastYear9999AreNone", EncodeDate(9999, 11, 30), rkMonthly, 2,
                                EncodeDate(9999, 12, 1), false, 0},
                      SeriesRow{"YearsPastYear9999AreNone", EncodeDate(9998, 1, 1), rkAnnually, 5,
                                EncodeDate(9999, 1, 1), false, 0}),
    [](const ::testing::TestParamInfo<SeriesRow>& info) { return std::string(info.param.name); });

TEST(SeriesMonths, StepOverTheYearsEndBothWays) {
    EXPECT_EQ(AddMonths(2024, 12, 1), (TvnYearMonth{2025, 1}));
    EXPECT_EQ(AddMonths(2024, 1, -1), (TvnYearMonth{2023, 12}));
    EXPECT_EQ(AddMonths(2024, 1, -13), (TvnYearMonth{2022, 12}));
    EXPECT_EQ(AddMonths(9999, 12, 1), (TvnYearMonth{10000, 1}));  // the caller decides
}

TEST(SeriesRule, EachKindSaysItselfAsRruleText) {
    const struct {
        TDateTime first;
        int kind, n;
        const char* rule;
    } rows[] = {
        {At(2024, 3, 1, 9), rkHourly, 36, "FREQ=HOURLY;INTERVAL=36"},
        {At(2024, 3, 1), rkWeekly, 0, "FREQ=WEEKLY;INTERVAL=1"},
        {At(2024, 1, 29), rkMonthly, 2, "FREQ=MONTHLY;INTERVAL=2;BYMONTHDAY=28,29;BYSETPOS=-1"},
        {At(2024, 1, 31), rkMonthly, 1, "FREQ=MONTHLY;INTERVAL=1;BYMONTHDAY=-1"},
        {At(2024, 5, 31), rkMonthlyByWeekday, 5, "FREQ=MONTHLY;BYDAY=4FR"},
        {At(2024, 2, 29), rkAnnually, 40000, "FREQ=YEARLY;INTERVAL=32767;BYMONTH=2;BYMONTHDAY=-1"},
        {At(2024, 2, 29), rkOnce, 1, ""},
        {At(2024, 2, 29), -1, 1, ""},
    };
    for (const auto& row : rows)
        EXPECT_EQ(TvnSeries(row.first, row.kind, row.n).RuleText(), QString::fromLatin1(row.rule));
}

}  // namespace
