// The control over its data (TvnCalendarData, tested on its own in
// tests/reminder): a filter refused while painting, the refresh a user switch
// causes, a colour for a month pressed in the year view, and the cells the
// data's operations change repainted at once.
#include <gtest/gtest.h>

#include "platform/DateFormat.h"
#include "support/BoundCalendar.h"

TEST(DBDrawCalendarData, RejectedDayFilterLeftNotesUnfilteredAndSpecialFilterStuck) {
    BoundCalendar b(At(2024, 3, 13));
    TvnDBDrawCalendar& c = b.cal;
    b.db.AddNote(0, At(2024, 3, 12), "mine");
    b.db.AddNote(1, At(2024, 3, 12), "theirs");
    c.UpdateCalendar();
    c.BackBuffer();
    TADOTable& notes = b.db.Table(tsNotes);
    const QString rangeFilter = notes.Filter();
    {
        // The engine now rejects every date the program writes.
        TFormatSettings odd = DottedFormatSettings();
        odd.ShortDateFormat = "dddd";
        ScopedFormat format(odd);
        const TRect cell = c.GetCellRect(1, 2);
        EXPECT_THROW(c.DrawCell(1, 2, false), EDatabaseError);
        EXPECT_FALSE(c.SpecialFilter);
        EXPECT_THROW(
            c.MouseDown(Qt::LeftButton, {}, cell.Left + 30, cell.Top + c.DayNumberHeight + 5),
            EDatabaseError);
    }
    EXPECT_FALSE(c.SpecialFilter);
    EXPECT_TRUE(notes.Filtered());
    EXPECT_EQ(notes.Filter(), rangeFilter);
    EXPECT_EQ(notes.RecordCount(), 1);
}

TEST(DBDrawCalendarData, SetCurrUserIgnoresNegativeAndSameUser) {
    BoundCalendar b(At(2024, 3, 13));
    TvnDBDrawCalendar& c = b.cal;
    b.db.AddEvent(0, "mine", At(2024, 3, 5));
    b.db.AddEvent(2, "theirs", At(2024, 3, 6));
    c.UpdateCalendar();
    ASSERT_EQ(c.EventDrawList.size(), 1u);
    c.BackBuffer();
    c.SetCurrUser(-1);
    c.SetCurrUser(0);
    EXPECT_EQ(c.CurrUser, 0);
    EXPECT_FALSE(c.RepaintPending());
    c.SetCurrUser(2);
    EXPECT_TRUE(c.RepaintPending());
    ASSERT_EQ(c.EventDrawList.size(), 1u);
    b.db.Table(tsEvents).SetBookmark(c.EventDrawList[0].Bookmark);
    EXPECT_EQ(b.db.Table(tsEvents).FieldByName("Desc")->AsString(), "theirs");
}

TEST(DBDrawCalendarData, ColourOfAMonthPressedInTheYearViewDuplicatedItsRow) {
    BoundCalendar b(At(2024, 3, 13));
    TvnDBDrawCalendar& c = b.cal;
    b.db.AddColor(0, At(2024, 6, 1), clRed);
    b.db.AddColor(4, At(2024, 6, 1), clRed);
    c.SetCurrUser(4);
    b.Show(vmYear, At(2024, 3, 13));
    c.SetCurrUser(0);
    c.BackBuffer();
    const TRect june = c.GetCellRect(1, 1);
    c.MouseDown(Qt::RightButton, {}, june.Left + 20, june.Top + 20);
    c.MouseUp(Qt::RightButton, {}, june.Left + 20, june.Top + 20);
    ASSERT_TIME_EQ(c.SelectedDate, At(2024, 6, 1));
    EXPECT_TRUE(c.CanClearCell());
    c.UpdateBColor(int(clBlue));
    EXPECT_EQ(b.db.CountRows("BColors"), 2);
    b.Show(vmMonth, At(2024, 6, 1));
    ASSERT_TRUE(c.LocateDBRecord(tsBColors, "Date", At(2024, 6, 1)));
    EXPECT_SAME_COLOR(TColor(b.db.Table(tsBColors).FieldByName("Color")->AsInteger()), clBlue);
}

TEST(DBDrawCalendarData, HolidayNoteAndColourShowInTheirCellsAtOnce) {
    BoundCalendar b(At(2024, 3, 13));
    TvnDBDrawCalendar& c = b.cal;
    const QImage before = c.BackBuffer().copy();
    const auto cell = [&](TDateTime day) {
        int col = -1, row = -1;
        c.DateToCell(day, col, row);
        return c.GetCellRect(col, row).ToQRect();
    };
    TvnHolidayParams holiday{0, 3, 19, 0, 0, "Holiday", esNew};
    c.AddHoliday(&holiday);
    TvnNotesParams note{0, At(2024, 3, 20), "Note", "", esNew};
    c.AddNotes(&note);
    c.SelectedDate = At(2024, 3, 21);
    c.UpdateBColor(int(clLime));
    ASSERT_FALSE(c.RepaintPending());  // each cell was painted on its own
    for (int day : {19, 20, 21})
        EXPECT_NE(c.BackBuffer().copy(cell(At(2024, 3, day))), before.copy(cell(At(2024, 3, day))))
            << day;
    const QImage painted = c.BackBuffer().copy();
    c.UpdateCalendar();
    EXPECT_EQ(c.BackBuffer(), painted);
}
