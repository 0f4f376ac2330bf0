// What a screen reader is told about the calendar: the view as a table of its
// shown days, each named by its date and what it holds, and the focused day.
#include <gtest/gtest.h>

#include <QAccessible>

#include "calendar/Vncalendaraccessible.h"
#include "support/BoundCalendar.h"

namespace {

// The 25th lists its all-day event before the timed one, as it is painted.
struct AccessibleCalendar : BoundCalendar {
    AccessibleCalendar() : BoundCalendar(At(2026, 12, 9, 10, 0)) {
        InstallCalendarAccessibility();
        db.AddHoliday(12, 25, "Christmas Day");
        TvnEventParams dentist;
        dentist.Desc = "Dentist";
        dentist.Date = dentist.RunDate = At(2026, 12, 25, 9, 30);
        dentist.UseStartTime = true;
        cal.Data().AddEvent(&dentist);
        db.AddEvent(0, "Team meeting", At(2026, 12, 25));
        db.AddEvent(0, "Dinner", At(2026, 12, 9));
        db.AddNote(0, At(2026, 12, 10), "Shopping list");
        cal.UpdateCalendar();
    }
    QAccessibleInterface* Table() { return QAccessible::queryAccessibleInterface(&cal); }
    // The index of a day's cell in reading order.
    int IndexOf(TDateTime day) {
        if (cal.ViewMode() == vmYear) return DecodeDateParts(day).m - 1;  // January first
        int col = -1, row = -1;
        cal.DateToCell(day, col, row);
        return row * cal.ColCount() + col;
    }
    QString Name(int index) { return Table()->child(index)->text(QAccessible::Name); }
};

}  // namespace

TEST(CalendarAccessible, EachViewIsATableOfItsCellsNamedByDateAndContents) {
    AccessibleCalendar a;
    QAccessibleInterface* table = a.Table();
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->role(), QAccessible::Table);
    EXPECT_EQ(table->text(QAccessible::Name), "Calendar");
    const struct {
        TvnViewModes mode;
        int cells;
        TDateTime day;
        const char* name;
    } rows[] = {
        {vmMonth, 42, At(2026, 12, 25),
         "Friday 25 December 2026, holiday Christmas Day, 2 events: Team meeting, 09:30 Dentist"},
        {vmMonth, 42, At(2026, 12, 9), "Wednesday 9 December 2026, today, 1 event: Dinner"},
        {vmMonth, 42, At(2026, 12, 10), "Thursday 10 December 2026, 1 note: Shopping list"},
        {vmMonth, 42, At(2026, 12, 11), "Friday 11 December 2026"},
        {vmWeek, 7, At(2026, 12, 25),
         "Friday 25 December 2026, holiday Christmas Day, 2 events: Team meeting, 09:30 Dentist"},
        {vmDay, 1, At(2026, 12, 9), "Wednesday 9 December 2026, today, 1 event: Dinner"},
        {vmYear, 12, At(2026, 12, 1), "December 2026"},
    };
    for (const auto& r : rows) {
        a.Show(r.mode, r.day);
        const int index = a.IndexOf(r.day);
        ASSERT_EQ(table->childCount(), r.cells) << r.name;
        ASSERT_GE(index, 0) << r.name;
        QAccessibleInterface* cell = table->child(index);
        EXPECT_EQ(cell->role(), QAccessible::Cell);
        EXPECT_EQ(cell->text(QAccessible::Name), r.name);
        EXPECT_EQ(table->indexOfChild(cell), index) << r.name;
        EXPECT_EQ(cell->parent(), table);
        EXPECT_EQ(table->child(r.cells), nullptr);
    }
}

TEST(CalendarAccessible, TheFocusedDayIsTheFocusChild) {
    AccessibleCalendar a;
    a.Show(vmMonth, At(2026, 12, 9));
    for (const TDateTime day : {At(2026, 12, 25), At(2026, 12, 1)}) {
        a.cal.SetFocusedDate(day);
        QAccessibleInterface* focus = a.Table()->focusChild();
        ASSERT_NE(focus, nullptr);
        EXPECT_EQ(a.Table()->indexOfChild(focus), a.IndexOf(day));
        EXPECT_TRUE(focus->state().selected);  // focusing presses the day
        EXPECT_FALSE(a.Table()->child(a.IndexOf(At(2026, 12, 10)))->state().selected);
    }
    a.Show(vmYear, At(2026, 12, 9));
    a.cal.SetFocusedDate(At(2026, 3, 14));
    EXPECT_EQ(a.Table()->focusChild()->text(QAccessible::Name), "March 2026");
    a.Show(vmMonth, At(2026, 12, 9));
    // A cell's place on screen is its painted cell.
    QAccessibleInterface* cell = a.Table()->child(a.IndexOf(At(2026, 12, 25)));
    EXPECT_EQ(a.Table()->childAt(cell->rect().center().x(), cell->rect().center().y()), cell);
}
