// The month and year steps and the clamped day that every recurring series
// shares, row by row at the edges of months, years and the calendar.
#include <gtest/gtest.h>

#include <ostream>

#include "store/Vnseries.h"

namespace {

struct SeriesRow {
    const char* name;
    TvnYearMonth start;  // the series' first month, or the month stepped from
    TvnYearMonth from;   // the month to reach; unused for a plain step
    int n;               // interval, or the step count of AddMonths
    int day;             // the start's day
    TvnYearMonth month;  // expected month
    int clampedDay;      // expected day in that month (0: beyond the calendar)
};

void PrintTo(const SeriesRow& row, std::ostream* os) {
    *os << row.name;
}

class SeriesMonths : public ::testing::TestWithParam<SeriesRow> {};

TEST_P(SeriesMonths, LandOnTheExpectedMonthAndDay) {
    const SeriesRow& r = GetParam();
    const TvnYearMonth got = r.from.Year == 0 ? AddMonths(r.start.Year, r.start.Month, r.n)
                                              : SeriesMonthAtOrAfter(r.start, r.from, r.n);
    EXPECT_EQ(got.Year, r.month.Year);
    EXPECT_EQ(got.Month, r.month.Month);
    if (got.Year <= MaxYear) {
        EXPECT_EQ(ClampedDay(int(got.Year), got.Month, r.day), r.clampedDay);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, SeriesMonths,
    ::testing::Values(
        SeriesRow{"Jan31EveryMonthGivesFeb29In2024", {2024, 1}, {2024, 2}, 1, 31, {2024, 2}, 29},
        SeriesRow{"Jan31EveryMonthGivesApril30", {2024, 1}, {2024, 4}, 1, 31, {2024, 4}, 30},
        SeriesRow{
            "EveryThreeMonthsSkipsToTheNextStep", {2023, 11}, {2024, 3}, 3, 15, {2024, 5}, 15},
        SeriesRow{"EveryThreeMonthsHitsTheStepItself", {2023, 11}, {2024, 2}, 3, 30, {2024, 2}, 29},
        SeriesRow{"EveryTwoMonthsOverTheYearsEnd", {2024, 11}, {2024, 12}, 2, 1, {2025, 1}, 1},
        SeriesRow{
            "DecemberPlusOneIsJanuaryOfTheNextYear", {2024, 12}, {0, 1}, 1, 31, {2025, 1}, 31},
        SeriesRow{"JanuaryMinusOneIsDecemberBefore", {2024, 1}, {0, 1}, -1, 31, {2023, 12}, 31},
        SeriesRow{"ThirteenMonthsBackCarriesTwoYears", {2024, 1}, {0, 1}, -13, 29, {2022, 12}, 29},
        SeriesRow{
            "Year9999DecemberSteppedIsBeyondTheCalendar", {9999, 12}, {0, 1}, 1, 1, {10000, 1}, 0},
        SeriesRow{"SeriesInYear9999RunsPastItsEnd", {9999, 11}, {9999, 12}, 2, 30, {10000, 1}, 0}),
    [](const ::testing::TestParamInfo<SeriesRow>& info) { return std::string(info.param.name); });

TEST(SeriesYears, StepByTheIntervalAndClampTheLeapDay) {
    EXPECT_EQ(SeriesYearAtOrAfter(2024, 2025, 1), 2025);
    EXPECT_EQ(ClampedDay(2025, 2, 29), 28);  // 29 February, every year
    EXPECT_EQ(ClampedDay(2028, 2, 29), 29);
    EXPECT_EQ(SeriesYearAtOrAfter(2023, 2024, 2), 2025);
    EXPECT_EQ(SeriesYearAtOrAfter(2023, 2025, 2), 2025);
    EXPECT_EQ(SeriesYearAtOrAfter(9998, 9999, 5), 10003);  // the caller decides past 9999
}

}  // namespace
