// The keyboard on the calendar: the focused day, the keys that move it and
// the view along with it, the keys handed to the owner, the focus frame.
#include <gtest/gtest.h>

#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include "support/BoundCalendar.h"

namespace {

struct KeyRow {
    const char* name;
    TvnViewModes view;
    TDateTime start;
    Qt::Key key;
    TDateTime focused;  // the focused day afterwards
    TDateTime shown;    // the calendar date afterwards
};

class CalendarKeys : public ::testing::TestWithParam<KeyRow> {};

TEST_P(CalendarKeys, MoveTheFocusedDayAndTheView) {
    const KeyRow& row = GetParam();
    BoundCalendar b(At(2024, 3, 13, 11, 0));
    TvnDBDrawCalendar& c = b.cal;
    b.Show(row.view, row.start);
    QSignalSpy changed(&c, &TvnDrawCalendar::FocusedDateChanged);
    QTest::keyClick(&c, row.key);
    EXPECT_EQ(c.FocusedDate(), row.focused) << DateToStr(c.FocusedDate()).toStdString();
    EXPECT_EQ(c.CalendarDate(), row.shown) << DateToStr(c.CalendarDate()).toStdString();
    EXPECT_EQ(c.ViewMode(), row.view);
    // The day reached counts as pressed, so a view switch opens on it.
    EXPECT_EQ(c.SelectedDate, row.focused);
    EXPECT_FALSE(c.ItemIsSelected());
    ASSERT_FALSE(changed.isEmpty());
    EXPECT_EQ(changed.last().at(0).toDouble(), row.focused);
}

const KeyRow kKeyRows[] = {
    {"MonthPageDownFrom31stToLeapFebruary", vmMonth, At(2024, 1, 31), Qt::Key_PageDown,
     At(2024, 2, 29), At(2024, 2, 29)},
    {"MonthPageDownFrom31stTo30DayMonth", vmMonth, At(2023, 3, 31), Qt::Key_PageDown,
     At(2023, 4, 30), At(2023, 4, 30)},
    {"MonthPageUpFrom31stToShortFebruary", vmMonth, At(2023, 3, 31), Qt::Key_PageUp,
     At(2023, 2, 28), At(2023, 2, 28)},
    {"MonthPageUpAcrossTheYear", vmMonth, At(2024, 1, 31), Qt::Key_PageUp, At(2023, 12, 31),
     At(2023, 12, 31)},
    {"MonthRightAcrossTheYear", vmMonth, At(2023, 12, 31), Qt::Key_Right, At(2024, 1, 1),
     At(2024, 1, 1)},
    {"MonthLeftAcrossTheYear", vmMonth, At(2024, 1, 1), Qt::Key_Left, At(2023, 12, 31),
     At(2023, 12, 31)},
    {"MonthUpStaysInMonth", vmMonth, At(2024, 3, 15), Qt::Key_Up, At(2024, 3, 8), At(2024, 3, 15)},
    {"MonthDownIntoNextMonthsDaysMovesTheMonth", vmMonth, At(2024, 3, 29), Qt::Key_Down,
     At(2024, 4, 5), At(2024, 4, 5)},
    {"WeekRightStaysInWeek", vmWeek, At(2024, 3, 13), Qt::Key_Right, At(2024, 3, 14),
     At(2024, 3, 13)},
    {"WeekRightAcrossTheYear", vmWeek, At(2023, 12, 31), Qt::Key_Right, At(2024, 1, 1),
     At(2024, 1, 1)},
    {"WeekDownMovesAWeek", vmWeek, At(2024, 3, 13), Qt::Key_Down, At(2024, 3, 20), At(2024, 3, 20)},
    {"WeekPageDownFrom31st", vmWeek, At(2024, 1, 31), Qt::Key_PageDown, At(2024, 2, 29),
     At(2024, 2, 29)},
    {"DayLeftMovesTheDay", vmDay, At(2024, 3, 1), Qt::Key_Left, At(2024, 2, 29), At(2024, 2, 29)},
    {"DayPageUpFrom31st", vmDay, At(2024, 5, 31), Qt::Key_PageUp, At(2024, 4, 30), At(2024, 4, 30)},
    {"YearDownStaysInYear", vmYear, At(2024, 1, 31), Qt::Key_Down, At(2024, 2, 7), At(2024, 1, 31)},
    {"YearRightAcrossTheYear", vmYear, At(2024, 12, 31), Qt::Key_Right, At(2025, 1, 1),
     At(2025, 1, 1)},
    {"YearPageDownFromLeapDay", vmYear, At(2024, 2, 29), Qt::Key_PageDown, At(2025, 2, 28),
     At(2025, 2, 28)},
    {"YearPageUp", vmYear, At(2024, 7, 4), Qt::Key_PageUp, At(2023, 7, 4), At(2023, 7, 4)},
    {"HomeGoesToToday", vmMonth, At(2023, 6, 30), Qt::Key_Home, At(2024, 3, 13), At(2024, 3, 13)},
    {"HomeInYearView", vmYear, At(2021, 6, 30), Qt::Key_Home, At(2024, 3, 13), At(2024, 3, 13)},
};

INSTANTIATE_TEST_SUITE_P(Rows, CalendarKeys, ::testing::ValuesIn(kKeyRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CalendarKeysFocus, MovingByMonthsFromThe31stWalksShortMonthsAndKeepsNoLongerDay) {
    BoundCalendar b(At(2024, 3, 13, 11, 0));
    b.Show(vmMonth, At(2023, 12, 31));
    const TDateTime expected[] = {At(2024, 1, 31), At(2024, 2, 29), At(2024, 3, 29),
                                  At(2024, 4, 29)};
    for (TDateTime day : expected) {
        QTest::keyClick(&b.cal, Qt::Key_PageDown);
        EXPECT_EQ(b.cal.FocusedDate(), day) << DateToStr(day).toStdString();
    }
}

TEST(CalendarKeysFocus, PressMoveToCommandAndViewSwitchPlaceTheFocusedDay) {
    BoundCalendar b(At(2024, 3, 13, 11, 0));
    TvnDBDrawCalendar& c = b.cal;
    EXPECT_EQ(c.FocusedDate(), At(2024, 3, 13));
    EXPECT_EQ(c.focusPolicy(), Qt::StrongFocus);
    c.FlushPaint();
    const TRect cell = c.GetCellRect(4, 3);  // Friday 22 March
    c.MouseDown(Qt::LeftButton, {}, cell.Left + 5, cell.Top + 5);
    EXPECT_EQ(c.FocusedDate(), At(2024, 3, 22));
    // A Move-to command opens the neighbouring month on its 1st.
    c.ChangeDate(255, 1);
    EXPECT_EQ(c.FocusedDate(), At(2024, 4, 1));
    QTest::keyClick(&c, Qt::Key_Right);
    c.SelectedDate = c.FocusedDate();
    c.SetViewMode(vmDay);
    EXPECT_EQ(c.CalendarDate(), At(2024, 4, 2));
}

TEST(CalendarKeysFocus, KeysTheControlDoesNotUseGoToTheOwnerAndMovesDropTheItem) {
    BoundCalendar b(At(2024, 3, 13, 11, 0));
    TvnDBDrawCalendar& c = b.cal;
    b.db.AddEvent(0, "Dentist", At(2024, 3, 13, 9, 30));
    c.UpdateCalendar();
    c.FlushPaint();
    const TRect cell = c.GetCellRect(2, 2);  // Wednesday 13 March
    c.MouseDown(Qt::LeftButton, {}, cell.Left + 20, cell.Top + c.DayNumberHeight + 5);
    ASSERT_TRUE(c.ItemIsSelected());
    std::vector<int> keys;
    c.OnKeyDown = [&](TvnDrawCalendar*, int key, Qt::KeyboardModifiers) { keys.push_back(key); };
    QTest::keyClick(&c, Qt::Key_Return);
    QTest::keyClick(&c, Qt::Key_Delete);
    EXPECT_EQ(keys, (std::vector<int>{Qt::Key_Return, Qt::Key_Delete}));
    EXPECT_TRUE(c.ItemIsSelected());
    QTest::keyClick(&c, Qt::Key_Right);
    EXPECT_FALSE(c.ItemIsSelected());
    EXPECT_EQ(c.SelectedDate, At(2024, 3, 14));
}

int HighlightPixels(TvnDBDrawCalendar& c, const TRect& r) {
    const QImage& image = c.BackBuffer();
    const QRgb frame = ColorToRgb(clHighlight) | 0xFF000000u;
    int n = 0;
    for (int y = r.Top; y < r.Bottom; ++y)
        for (int x = r.Left; x < r.Right; ++x)
            n += (image.pixel(x, y) | 0xFF000000u) == frame;
    return n;
}

TEST(CalendarKeysFocus, TheFocusedDayIsFramedWhileTheControlHasTheFocus) {
    BoundCalendar b(At(2024, 3, 13, 11, 0));
    TvnDBDrawCalendar& c = b.cal;
    c.PaintCurrDate = false;
    c.show();
    c.activateWindow();
    c.setFocus();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&c));
    ASSERT_TRUE(c.hasFocus());
    const TRect wednesday = c.GetCellRect(2, 2), thursday = c.GetCellRect(3, 2);
    EXPECT_GE(HighlightPixels(c, wednesday), 2 * (wednesday.Width() + wednesday.Height()));
    EXPECT_EQ(HighlightPixels(c, thursday), 0);
    QTest::keyClick(&c, Qt::Key_Right);
    EXPECT_EQ(HighlightPixels(c, wednesday), 0);
    EXPECT_GE(HighlightPixels(c, thursday), 2 * (thursday.Width() + thursday.Height()));
    c.clearFocus();
    EXPECT_EQ(HighlightPixels(c, thursday), 0);
}

}  // namespace

namespace {

TEST(CalendarKeysFocus, MenuKeyAndShiftF10OpenThePopupOverTheFocusedDay) {
    BoundCalendar b(At(2024, 3, 13, 11, 0));
    TvnDBDrawCalendar& c = b.cal;
    QMenu menu;
    menu.addAction("Set colour");
    c.PopupMenu = &menu;
    c.show();
    QStringList seen;
    QObject::connect(&menu, &QMenu::aboutToShow, [&] {
        seen << DateToStr(c.SelectedDate);
        QTimer::singleShot(0, &menu, &QMenu::close);
    });
    QTest::keyClick(&c, Qt::Key_Right);
    QTest::keyClick(&c, Qt::Key_Menu);
    QTest::keyClick(&c, Qt::Key_Down);
    QTest::keyClick(&c, Qt::Key_F10, Qt::ShiftModifier);
    QTest::keyClick(&c, Qt::Key_F10);  // F10 alone is the owner's
    EXPECT_EQ(seen, (QStringList{DateToStr(At(2024, 3, 14)), DateToStr(At(2024, 3, 21))}));
}

}  // namespace
