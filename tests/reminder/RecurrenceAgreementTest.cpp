// The next notification time and the calendar's matching answer from one
// series arithmetic: the day the reminder moves an event to is a day the
// calendar shows the event on.
#include <gtest/gtest.h>

#include <ostream>

#include "calendar/Vndbdrawcalendar_match.h"
#include "reminder/Vnrecurrence.h"
#include "support/EventRecords.h"
#include "support/TestSupport.h"

namespace {

struct AgreementRow {
    const char* name;
    TDateTime start;
    int recurrence;
    int n;
    TDateTime now;
    TDateTime next;  // the expected next occurrence
};

void PrintTo(const AgreementRow& row, std::ostream* os) {
    *os << row.name;
}

class ReminderAndCalendar : public ::testing::TestWithParam<AgreementRow> {};

TEST_P(ReminderAndCalendar, AgreeOnTheNextOccurrence) {
    const AgreementRow& r = GetParam();
    TvnEventParams e = EventRecord({}, r.start, r.recurrence, r.n);
    CalcEventNotifyDate(&e, r.now);
    ASSERT_FALSE(e.Completed);
    EXPECT_EQ(e.RunDate, r.next) << DateTimeToStr(e.RunDate).toStdString();

    const TvnCalendarGrid grid(vmMonth, e.RunDate);
    std::array<bool, CalendarCellCount> flags{};
    TvnEventDays days;
    days.Date = e.Date;
    days.Recurrence = e.Recurrence;
    days.nParam = e.nParam;
    ASSERT_TRUE(MatchEventCells(days, grid, flags));
    int col = -1, row = -1;
    grid.DateToCell(e.RunDate, col, row);
    EXPECT_TRUE(flags[CellFlagIndex(col, row)]);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ReminderAndCalendar,
    ::testing::Values(AgreementRow{"Jan31EveryMonthFallsOnFeb29", At(2024, 1, 31, 9), rkMonthly, 1,
                                   At(2024, 2, 15), At(2024, 2, 29, 9)},
                      AgreementRow{"Feb29EveryYearFallsOnFeb28", At(2024, 2, 29, 9), rkAnnually, 1,
                                   At(2024, 3, 1), At(2025, 2, 28, 9)},
                      AgreementRow{"EveryTwoMonthsOverTheYearsEnd", At(2023, 11, 30, 9), rkMonthly,
                                   2, At(2023, 12, 1), At(2024, 1, 30, 9)},
                      AgreementRow{"EveryThreeYearsFromALeapDay", At(2020, 2, 29, 8), rkAnnually, 3,
                                   At(2022, 6, 1), At(2023, 2, 28, 8)},
                      AgreementRow{"SecondTuesdayOfTheMonth", At(2024, 1, 9, 7), rkMonthlyByWeekday,
                                   1, At(2024, 3, 13), At(2024, 4, 9, 7)},
                      AgreementRow{"EveryThreeDays", At(2024, 2, 27, 6), rkDaily, 3,
                                   At(2024, 3, 1, 12), At(2024, 3, 4, 6)}),
    [](const ::testing::TestParamInfo<AgreementRow>& info) {
        return std::string(info.param.name);
    });

}  // namespace
