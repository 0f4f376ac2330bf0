// The reminder's once-a-second look for due events of the current user.
#include "platform/DateFormat.h"
#include "reminder/Vncalendarreminder.h"
#include "store/Adodb.h"

#include <QScopeGuard>
#include <utility>

void TvnCalendarReminder::OnTimer(QObject* sender) {
    TvnDBDrawCalendar::OnTimer(sender);
    ReminderTick();
}

void TvnCalendarReminder::ReminderTick() {
    if (!TableIsActive(tsEvents) || !FReminderEnabled || !FReminderActive || FInTimer ||
        SpecialFilter)
        return;
    // Whatever happens inside a tick, the next one must be able to run: the
    // busy flag is cleared and the temporary filter removed on every way out.
    FInTimer = true;
    const auto clearBusy = qScopeGuard([this] { FInTimer = false; });
    EventsFilterScope scope(*this);
    const TDateTime now = Now();
    SetFilter(tsEvents,
              QStringLiteral("Completed = FALSE AND RunDate <= '") + DateToStr(now) + u' ' +
                  TimeToStr(now) + u'\'',
              true);
    if (tbEvents->RecordCount() > 0) {
        FillEventsList();
        SetFilter(tsEvents, QString(), false);
        AnnounceDueEvents();
    } else {
        SetFilter(tsEvents, QString(), false);
    }
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
    MoveOnAnnouncedEvents(due, std::exchange(SnoozedEvents, {}));
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
