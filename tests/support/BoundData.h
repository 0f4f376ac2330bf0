// The calendar's data bound to a fresh database and showing the month of a
// fixed today, with no widget: what BoundCalendar is for the control. The
// cells the data names as changed are kept in order.
#pragma once

#include <cmath>
#include <vector>

#include "reminder/Vncalendardata.h"
#include "support/TestDatabase.h"
#include "support/TestSupport.h"

struct BoundData {
    explicit BoundData(TDateTime today) : clock(today), grid(vmMonth, std::trunc(today)) {
        for (int i = 0; i < TableCount; ++i)
            data.SetDataSet(i, db.tables[i].get());
        db.addUnfiltered = true;
        data.SetShownGrid(&grid);
        data.OnCellsChanged = [this](const TvnCellFlags& cells) { changed.push_back(cells); };
        data.ShowRange();
    }
    // Shows a view on a date, as the control's refresh does.
    void Show(TvnViewModes mode, TDateTime date) {
        grid.SetViewMode(mode);
        grid.SetCalendarDate(date);
        data.ShowRange();
    }
    // Makes a user current as the control does, rebuilding the shown range.
    void SetUser(int user) {
        if (data.SetCurrUser(user)) data.ShowRange();
    }
    // The cells named since the last call, as (col, row) in flag order.
    std::vector<std::pair<int, int>> TakeChanged() {
        std::vector<std::pair<int, int>> cells;
        for (const TvnCellFlags& flags : changed)
            for (int n = 0; n < CalendarCellCount; ++n)
                if (flags[n]) cells.emplace_back(CellOfFlagIndex(n).Col, CellOfFlagIndex(n).Row);
        changed.clear();
        return cells;
    }

    ScopedClock clock;
    TestDatabase db;
    TvnCalendarGrid grid;
    // Declared after the database and the grid it reads, so destroyed first.
    TvnCalendarData data;
    std::vector<TvnCellFlags> changed;
};
