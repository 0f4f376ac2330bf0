// The reminder's once-a-second look for due events of the current user.
#include <QScopeGuard>
#include <utility>

#include "reminder/Vncalendarreminder.h"

void TvnCalendarReminder::OnTimer(QObject* sender) {
    TvnDBDrawCalendar::OnTimer(sender);
    ReminderTick();
}

void TvnCalendarReminder::ReminderTick() {
    if (!TableIsActive(tsEvents) || !FReminderEnabled || !FReminderActive || FInTimer ||
        SpecialFilter)
        return;
    // Whatever happens inside a tick, the next one must be able to run: the
    // busy flag is cleared on every way out (the data puts its filter back).
    FInTimer = true;
    const auto clearBusy = qScopeGuard([this] { FInTimer = false; });
    TvnEventRecords due = Data().DueEvents(Now());
    if (due.empty()) return;
    EventsList = std::move(due);
    AnnounceDueEvents();
}

void TvnCalendarReminder::AnnounceDueEvents() {
    SnoozedEvents.clear();
    // The handler may take the records over for its window, or refill the
    // list: the events are moved on as they were found.
    std::vector<TvnEventParams> due;
    due.reserve(EventsList.size());
    for (const auto& record : EventsList)
        due.push_back(*record);
    if (OnBeforeFoundEvents) OnBeforeFoundEvents(this);
    Data().MoveOnEvents(due, std::exchange(SnoozedEvents, {}));
    if (OnAfterFoundEvents) OnAfterFoundEvents(this);
}

void TvnCalendarReminder::ReminderDisabled() {
    ++FReminderDisableCount;
    FReminderEnabled = false;
}

void TvnCalendarReminder::ReminderEnabled() {
    if (FReminderDisableCount > 0) --FReminderDisableCount;
    if (FReminderDisableCount == 0) FReminderEnabled = true;
}
