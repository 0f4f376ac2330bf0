// The time span calculator: its arithmetic as rows of worked examples and a
// day-by-day count, and the dialog driven by its control names.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>

#include "calendar/Uformtimespan.h"
#include "calendar/Vntimespan.h"
#include "store/Vntypes.h"
#include "support/DialogScript.h"
#include "support/TestSupport.h"

namespace {

int64_t Day(int year, int month, int day) {
    return DayNumber(EncodeDate(year, month, day));
}

struct WorkingDaysRow {
    const char* name;
    int64_t begin, end;
    int64_t expected;
};

void PrintTo(const WorkingDaysRow& row, std::ostream* os) {
    *os << row.name;
}

class WorkingDays : public ::testing::TestWithParam<WorkingDaysRow> {};

}  // namespace

// 2 January 2006 was a Monday.
TEST_P(WorkingDays, CountsMondayToFridayAfterTheBeginUpToTheEnd) {
    EXPECT_EQ(WorkingDaysBetween(GetParam().begin, GetParam().end), GetParam().expected);
    EXPECT_EQ(TimeSpanValue(GetParam().begin, GetParam().end, suWorkingDays), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    TimeSpan, WorkingDays,
    ::testing::Values(WorkingDaysRow{"MondayToNextMonday", Day(2006, 1, 2), Day(2006, 1, 9), 5},
                      WorkingDaysRow{"MondayToFriday", Day(2006, 1, 2), Day(2006, 1, 6), 4},
                      WorkingDaysRow{"MondayToSaturday", Day(2006, 1, 2), Day(2006, 1, 7), 4},
                      WorkingDaysRow{"MondayToSunday", Day(2006, 1, 2), Day(2006, 1, 8), 4},
                      WorkingDaysRow{"FridayToNextMonday", Day(2006, 1, 6), Day(2006, 1, 9), 1},
                      WorkingDaysRow{"SaturdayToNextMonday", Day(2006, 1, 7), Day(2006, 1, 9), 1},
                      WorkingDaysRow{"DateToItself", Day(2006, 1, 4), Day(2006, 1, 4), 0},
                      WorkingDaysRow{"NextMondayBackToMonday", Day(2006, 1, 9), Day(2006, 1, 2),
                                     -5},
                      WorkingDaysRow{"SaturdayToSunday", Day(2006, 1, 7), Day(2006, 1, 8), 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TimeSpan, WorkingDaysAgreeWithADayByDayCount) {
    // Around 30 December 1899 too, where day numbers turn negative.
    for (int64_t origin : {Day(2024, 2, 20), int64_t{-20}}) {
        for (int64_t b = origin; b < origin + 21; ++b) {
            for (int64_t e = b; e < b + 40; ++e) {
                int64_t count = 0;
                for (int64_t d = b + 1; d <= e; ++d)
                    count += WeekdayOfDayNumber(d) <= 5 ? 1 : 0;
                ASSERT_EQ(WorkingDaysBetween(b, e), count) << b << " to " << e;
                ASSERT_EQ(WorkingDaysBetween(e, b), -count) << e << " to " << b;
            }
        }
    }
    EXPECT_EQ(WeekdayOfDayNumber(Day(2006, 1, 7)), 6);
    EXPECT_EQ(WeekdayOfDayNumber(Day(1899, 12, 24)), 7);
}

TEST(TimeSpan, SpansBeyondThirtyTwoBitsKeepTheirTrueValue) {
    // 36,524 days: 3,155,673,600 seconds would wrap to a negative int32.
    const int64_t b = Day(1900, 1, 1), e = Day(2000, 1, 1);
    EXPECT_EQ(TimeSpanValue(b, e, suSeconds), INT64_C(3155673600));
    EXPECT_EQ(TimeSpanValue(e, b, suSeconds), INT64_C(-3155673600));
    // 2,934,000-odd days: even the minutes leave the int32 range.
    const int64_t far = Day(9999, 12, 31) - Day(1752, 9, 14);
    EXPECT_GT(TimeSpanValue(0, far, suMinutes), INT64_C(4000000000));
    EXPECT_EQ(TimeSpanValue(b, e, -1), 36524);  // no unit chosen: days
}

namespace {

struct SpanForm : ::testing::Test {
    ScopedClock clock{At(2006, 1, 7, 11, 0)};
    ScopedFormat format{DottedFormatSettings()};
    ScopedDialogScript script;
    TFormTimeSpan form;

    QDateEdit* Begin() { return form.findChild<QDateEdit*>("dtPicker_begDate"); }
    QDateEdit* End() { return form.findChild<QDateEdit*>("dtPicker_endDate"); }
    QComboBox* Unit() { return form.findChild<QComboBox*>("cBox_SParams"); }
    QString Shown() { return form.findChild<QLineEdit*>("edit_TimeSpan")->text(); }
};

}  // namespace

TEST_F(SpanForm, OpensOnTodayInDaysShowingZero) {
    ASSERT_NE(Begin(), nullptr);
    ASSERT_NE(Unit(), nullptr);
    EXPECT_EQ(form.windowTitle(), "Time Span");
    EXPECT_EQ(Begin()->date(), QDate(2006, 1, 7));
    EXPECT_EQ(End()->date(), QDate(2006, 1, 7));
    EXPECT_EQ(Begin()->text(), "07.01.2006");
    EXPECT_EQ(Unit()->currentText(), "Days");
    EXPECT_EQ(Unit()->count(), 5);
    EXPECT_EQ(Unit()->itemText(4), "Working days");
    EXPECT_EQ(Shown(), "0");
    EXPECT_FALSE(form.findChild<QLineEdit*>("edit_TimeSpan")->isEnabled());
    EXPECT_TRUE(form.findChild<QPushButton*>("btnOK")->isDefault());
}

TEST_F(SpanForm, EveryChangeRecomputesWithTheCurrentDates) {
    form.show();
    struct Step {
        QDate begin, end;
        int unit;
        const char* shown;
    } steps[] = {
        {{2006, 1, 7}, {2006, 1, 8}, suDays, "1"},
        {{2006, 1, 7}, {2006, 1, 8}, suWorkingDays, "0"},
        {{2006, 1, 8}, {2006, 1, 7}, suDays, "-1"},
        {{2006, 1, 8}, {2006, 1, 7}, suHours, "-24"},
        {{2006, 1, 7}, {2006, 1, 7}, suSeconds, "0"},
        {{2006, 1, 7}, {2006, 1, 7}, suMinutes, "0"},
        {{2006, 1, 7}, {2006, 1, 7}, suWorkingDays, "0"},
        {{1900, 1, 1}, {2000, 1, 1}, suSeconds, "3155673600"},
        {{1900, 1, 1}, {2000, 1, 1}, suMinutes, "52594560"},
    };
    for (const Step& s : steps) {
        Begin()->setDate(s.begin);
        End()->setDate(s.end);
        Unit()->setCurrentIndex(s.unit);
        EXPECT_EQ(Shown(), s.shown) << s.begin.toString().toStdString() << " unit " << s.unit;
    }
    // The unit alone: the dates stay.
    Unit()->setCurrentIndex(suDays);
    EXPECT_EQ(Shown(), "36524");
    EXPECT_EQ(Begin()->date(), QDate(1900, 1, 1));
    form.grab().save(TestOutputDir() + "/time_span.png");
}

TEST_F(SpanForm, RunsModallyAndOkCloses) {
    script.Modal([](QDialog& d) {
        d.findChild<QDateEdit*>("dtPicker_endDate")->setDate(QDate(2006, 1, 9));
        EXPECT_EQ(d.findChild<QLineEdit*>("edit_TimeSpan")->text(), "2");
        d.findChild<QPushButton*>("btnOK")->click();
    });
    EXPECT_EQ(ExecModal(form), QDialog::Accepted);
    EXPECT_TRUE(script.Messages().isEmpty());
}
