#include "reminder/Vncalendarreminder.h"

#include <utility>

#include "reminder/Vneventfiles.h"
#include "reminder/Vnrecurrence.h"

TvnCalendarReminder::TvnCalendarReminder(QWidget* parent) : TvnDBDrawCalendar(parent) {}

TvnCalendarReminder::~TvnCalendarReminder() = default;

TvnEventRecords TvnCalendarReminder::TakeEventsList() {
    return std::exchange(EventsList, {});
}

void TvnCalendarReminder::CalcEventNotifyDate(TvnEventParams* params) {
    ::CalcEventNotifyDate(params, Now());
}

// With the events table closed both leave the list as it was.
void TvnCalendarReminder::SelectEvents() {
    if (!TableIsActive(tsEvents)) return;
    int year = 0, month = 0, day = 0;
    DecodeDate(CalendarDate(), year, month, day);
    EventsList = Data().SelectEvents(year);
}

void TvnCalendarReminder::FindEvents(TvnFindParams params) {
    if (!TableIsActive(tsEvents)) return;
    EventsList = Data().FindEvents(params);
}

bool TvnCalendarReminder::ImportEvents(TvnImportParams params) {
    if (!TableIsActive(tsEvents)) return false;
    // Only an event data file is imported. Replacing every event with the
    // content of anything else (a mistyped path, a CSV, a file too big to
    // read) would lose them all; only Count=0 means "no events".
    const TvnEventDataReader file(params.FileName);
    if (!file.IsEventData()) return false;
    EventsList.clear();
    Data().ImportEvents(file, params.DeleteExisting);
    return true;
}
