// A calendar control bound to a fresh database, showing the month of a
// fixed today.
#pragma once

#include <cmath>

#include "calendar/Vndbdrawcalendar.h"
#include "support/TestDatabase.h"
#include "support/TestSupport.h"

// Binds the four tables to a control. The control filters them from now on,
// so rows added afterwards go in with the filter off.
inline void BindCalendar(TestDatabase& db, TvnDBDrawCalendar& cal) {
    for (int i = 0; i < TableCount; ++i)
        cal.SetDataSet(i, db.tables[i].get());
    db.addUnfiltered = true;
}

// The control is declared after the database so that it is destroyed first.
struct BoundCalendar {
    explicit BoundCalendar(TDateTime today, int width = 700, int height = 500) : clock(today) {
        BindCalendar(db, cal);
        cal.resize(width, height);
        cal.ColorFont = clBlack;
        cal.SetCalendarDate(std::trunc(today));
    }
    // Shows a view on a date as the main window does: through the pressed day.
    void Show(TvnViewModes mode, TDateTime date) {
        cal.SelectedDate = date;
        cal.SetViewMode(mode);
        cal.SetCalendarDate(date);
    }
    ScopedClock clock;
    TestDatabase db;
    TvnDBDrawCalendar cal;
};
