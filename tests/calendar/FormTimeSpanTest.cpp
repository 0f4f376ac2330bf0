// The time span calculator: the working days as rows of worked examples and
// against a day-by-day count, spans past 32 bits, and the dialog itself.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>

#include "calendar/Uformtimespan.h"
#include "calendar/Vntimespan.h"
#include "store/Vntypes.h"
#include "support/TestSupport.h"

namespace {

int64_t Day(int month, int day, int year = 2006) {
    return DayNumber(EncodeDate(year, month, day));
}

}  // namespace

// 2 January 2006 was a Monday.
TEST(TimeSpan, WorkingDaysOfTheWorkedExamplesAndADayByDayCount) {
    const struct {
        const char* name;
        int64_t begin, end, expected;
    } rows[] = {{"Monday to next Monday", Day(1, 2), Day(1, 9), 5},
                {"Monday to Friday", Day(1, 2), Day(1, 6), 4},
                {"Monday to Saturday", Day(1, 2), Day(1, 7), 4},
                {"Monday to Sunday", Day(1, 2), Day(1, 8), 4},
                {"Friday to next Monday", Day(1, 6), Day(1, 9), 1},
                {"Saturday to next Monday", Day(1, 7), Day(1, 9), 1},
                {"a date to itself", Day(1, 4), Day(1, 4), 0},
                {"next Monday back to Monday", Day(1, 9), Day(1, 2), -5},
                {"Saturday to Sunday", Day(1, 7), Day(1, 8), 0}};
    for (const auto& r : rows)
        EXPECT_EQ(TimeSpanValue(r.begin, r.end, suWorkingDays), r.expected) << r.name;
    // Around 30 December 1899 too, where day numbers turn negative.
    for (int64_t b = -20; b < 20; ++b) {
        int64_t count = 0;
        for (int64_t e = b + 1; e < b + 40; ++e) {
            count += WeekdayOfDayNumber(e) <= 5 ? 1 : 0;
            ASSERT_EQ(WorkingDaysBetween(b, e), count) << b << " to " << e;
            ASSERT_EQ(WorkingDaysBetween(e, b), -count) << e << " to " << b;
        }
    }
}

TEST(TimeSpan, SpansBeyondThirtyTwoBitsKeepTheirTrueValue) {
    // 36,524 days: 3,155,673,600 seconds would wrap to a negative int32.
    EXPECT_EQ(TimeSpanValue(Day(1, 1, 1900), Day(1, 1, 2000), suSeconds), INT64_C(3155673600));
    EXPECT_EQ(TimeSpanValue(Day(1, 1, 2000), Day(1, 1, 1900), suSeconds), INT64_C(-3155673600));
    // Some 2.9 million days: the minutes leave the int32 range too.
    EXPECT_GT(TimeSpanValue(Day(9, 14, 1752), Day(12, 31, 9999), suMinutes), INT64_C(4000000000));
}

TEST(TimeSpanForm, OpensOnTodayInDaysAndRecomputesOnEveryChange) {
    ScopedClock clock{At(2006, 1, 7, 11, 0)};
    ScopedFormat format{DottedFormatSettings()};
    TFormTimeSpan form;
    auto* begin = form.findChild<QDateEdit*>("dtPicker_begDate");
    auto* end = form.findChild<QDateEdit*>("dtPicker_endDate");
    auto* unit = form.findChild<QComboBox*>("cBox_SParams");
    auto* shown = form.findChild<QLineEdit*>("edit_TimeSpan");
    ASSERT_TRUE(begin && end && unit && shown);
    EXPECT_EQ(form.windowTitle(), "Time Span");
    EXPECT_EQ(end->text(), "07.01.2006");
    EXPECT_EQ(unit->currentText(), "Days");
    EXPECT_EQ(shown->text(), "0");
    const struct {
        QDate begin, end;
        int unit;
        const char* shown;
    } steps[] = {{{2006, 1, 7}, {2006, 1, 8}, suDays, "1"},
                 {{2006, 1, 7}, {2006, 1, 8}, suWorkingDays, "0"},
                 {{2006, 1, 8}, {2006, 1, 7}, suDays, "-1"},
                 {{2006, 1, 8}, {2006, 1, 7}, suHours, "-24"},
                 {{2006, 1, 7}, {2006, 1, 7}, suSeconds, "0"},
                 {{2006, 1, 7}, {2006, 1, 7}, suMinutes, "0"},
                 {{1900, 1, 1}, {2000, 1, 1}, suSeconds, "3155673600"},
                 {{1900, 1, 1}, {2000, 1, 1}, suDays, "36524"}};  // the unit alone
    for (const auto& s : steps) {
        begin->setDate(s.begin);
        end->setDate(s.end);
        unit->setCurrentIndex(s.unit);
        EXPECT_EQ(shown->text(), s.shown) << unit->currentText().toStdString();
    }
    EXPECT_EQ(begin->date(), QDate(1900, 1, 1));
    form.show();
    form.grab().save(TestOutputDir() + "/time_span.png");
}
