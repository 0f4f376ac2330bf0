// What the shown days hold: the filters of the shown range, the events and
// holidays matched to the shown cells, and the cells a change concerns.
#include "calendar/Vndbdrawcalendar_match.h"
#include "reminder/Vncalendardata.h"
#include "store/Adodb.h"

void TvnCalendarData::ShowRange() {
    if (shown_ == nullptr) return;
    // The check of the date literals may switch the date format; it must run
    // before the range filter is written in it.
    if (TableIsActive(tsBColors)) TestFilter();
    RangeFilter = RangeText(shown_->FirstDate(), shown_->LastDate() + 1);
    // The year view paints no colours, but a month pressed in it gets one:
    // its row must be found under the present user and year, or a second
    // row for the day would be added.
    if (TableIsActive(tsBColors)) SetFilter(tsBColors, RangeFilter, false);
    if (shown_->ViewMode() == vmYear) return;
    if (TableIsActive(tsEvents)) FilterEvents();
    if (TableIsActive(tsHolidays)) SetBookmarks();
    if (TableIsActive(tsNotes)) SetFilter(tsNotes, RangeFilter, false);
}

// ---- cells changed

void TvnCalendarData::CellsChanged(const TvnCellFlags& cells) {
    if (OnCellsChanged) OnCellsChanged(cells);
}

void TvnCalendarData::CellChanged(int col, int row) {
    if (col < 0 || row < 0 || col > 6 || row > 5) return;
    TvnCellFlags cells{};
    cells[CellFlagIndex(col, row)] = true;
    CellsChanged(cells);
}

void TvnCalendarData::DayChanged(TDateTime day) {
    int col = -1, row = -1;
    if (shown_) shown_->DateToCell(day, col, row);
    CellChanged(col, row);
}

// ---- matching over the tables

TvnEventDays TvnCalendarData::CurrentEventDays() {
    TADOTable* t = tbEvents;
    TvnEventDays days;
    days.Date = t->FieldByName(QStringLiteral("Date"))->AsDateTime();
    days.EndDate = t->FieldByName(QStringLiteral("EndDate"))->AsDateTime();
    days.UseEndDate = t->FieldByName(QStringLiteral("UseEndDate"))->AsInteger() != 0;
    days.Recurrence = t->FieldByName(QStringLiteral("Recurrence"))->AsInteger();
    days.nParam = t->FieldByName(QStringLiteral("nParam"))->AsInteger();
    return days;
}

TvnHolidayParams TvnCalendarData::CurrentHolidayDate() {
    TvnHolidayParams holiday;
    DBRecord_To_HolStruct(&holiday);
    return holiday;
}

bool TvnCalendarData::CanDrawEvent(TvnCellFlags& flags) {
    if (shown_ == nullptr || shown_->ViewMode() == vmYear) return false;
    return MatchEventCells(CurrentEventDays(), *shown_, flags);
}

bool TvnCalendarData::FilterEvent(TvnEventDrawData& out) {
    if (!TableIsActive(tsEvents)) return false;
    TvnEventDrawData entry;
    if (!CanDrawEvent(entry.Cells)) return false;
    entry.Bookmark = tbEvents->Bookmark();
    EventDrawList.push_back(entry);
    out = entry;
    return true;
}

void TvnCalendarData::FilterEvents() {
    ClearEventsList();
    if (!TableIsActive(tsEvents)) return;
    SetFilter(tsEvents, QString(), false);
    tbEvents->First();
    const int count = tbEvents->RecordCount();
    TvnEventDrawData entry;
    for (int i = 0; i < count; ++i) {
        FilterEvent(entry);
        tbEvents->Next();
    }
}

bool TvnCalendarData::FindAndFreeEventFilter(TvnEventDrawData& out) {
    if (!TableIsActive(tsEvents)) return false;
    const QString bookmark = tbEvents->Bookmark();
    for (auto it = EventDrawList.begin(); it != EventDrawList.end(); ++it) {
        if (it->Bookmark != bookmark) continue;
        out = *it;
        EventDrawList.erase(it);
        return true;
    }
    return false;
}

void TvnCalendarData::ClearEventsList() {
    EventDrawList.clear();
}

bool TvnCalendarData::CanDrawHoliday(int& col, int& row) {
    col = row = -1;
    if (shown_ == nullptr || shown_->ViewMode() == vmYear) return false;
    return MatchHolidayCell(CurrentHolidayDate(), *shown_, col, row);
}

bool TvnCalendarData::SetBookmark(int& col, int& row) {
    if (!TableIsActive(tsHolidays) || !CanDrawHoliday(col, row)) return false;
    HolidayBookmarks[col][row] = tbHolidays->Bookmark();
    return true;
}

void TvnCalendarData::SetBookmarks() {
    for (auto& column : HolidayBookmarks)
        column.fill(QStringLiteral("0"));
    if (!TableIsActive(tsHolidays)) return;
    tbHolidays->SetFiltered(false);
    tbHolidays->SetFilter(QStringLiteral("ID > 1"));
    tbHolidays->SetFiltered(true);
    tbHolidays->First();
    const int count = tbHolidays->RecordCount();
    for (int i = 0; i < count; ++i) {
        int col = -1, row = -1;
        SetBookmark(col, row);
        tbHolidays->Next();
    }
}

bool TvnCalendarData::FindAndFreeBookmark(int& col, int& row) {
    col = row = -1;
    if (!TableIsActive(tsHolidays)) return false;
    const QString bookmark = tbHolidays->Bookmark();
    for (int c = 0; c < 7; ++c)
        for (int r = 0; r < 6; ++r)
            if (HolidayBookmarks[c][r] == bookmark) {
                HolidayBookmarks[c][r] = QStringLiteral("0");
                col = c;
                row = r;
                return true;
            }
    return false;
}
