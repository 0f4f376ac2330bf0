// What a screen reader is told about the calendar control: the shown view as
// a table whose cells are the shown days (months in the year view), each
// named by its date and what the day holds, the focused day as the focus.
#pragma once

#include <QAccessibleWidget>
#include <QString>

class TvnDrawCalendar;

// The spoken name of one cell, e.g. "Wednesday 9 December 2026, today,
// holiday Christmas Day, 2 events: 09:30 Dentist, Team meeting".
QString CalendarCellName(TvnDrawCalendar& calendar, int col, int row);

// The calendar as a table of its shown cells.
class TvnCalendarAccessible : public QAccessibleWidget {
public:
    explicit TvnCalendarAccessible(TvnDrawCalendar* calendar);
    ~TvnCalendarAccessible() override;

    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* focusChild() const override;
    QAccessibleInterface* childAt(int x, int y) const override;
    QString text(QAccessible::Text t) const override;

    TvnDrawCalendar* Calendar() const;
    // The cell index of the focused day; -1 when it is not shown.
    int FocusedIndex() const;

private:
    // Cells are made on demand and live as long as the table.
    mutable QList<QAccessible::Id> cells_;
};

// Lets Qt's accessibility make TvnCalendarAccessible for every calendar
// control; call once after the application object exists.
void InstallCalendarAccessibility();
