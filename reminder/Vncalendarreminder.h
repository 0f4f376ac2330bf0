// The calendar control with events and the reminder: the found-events list,
// adding, changing, deleting and searching events with the shown cells kept in
// step, the once-a-second look for due events, and export and import.
#pragma once

#include <QHash>
#include <array>
#include <functional>
#include <vector>

#include "calendar/Vndbdrawcalendar.h"
#include "reminder/Vnparams.h"
#include "reminder/Vnrecords.h"

class TvnEventDataReader;

class TvnCalendarReminder : public TvnDBDrawCalendar {
    Q_OBJECT

public:
    explicit TvnCalendarReminder(QWidget* parent = nullptr);
    ~TvnCalendarReminder() override;

    // Records copied from the events table by the last fill, owned here
    // until a list view takes them (TakeEventsList); every fill frees what
    // was not taken.
    TvnEventRecords EventsList;
    // Hands the records of the last fill over and empties the list.
    TvnEventRecords TakeEventsList();

    // Cleared while the user has suspended the reminder.
    bool FReminderActive = true;
    // Cleared while some dialog has the reminder disabled.
    bool FReminderEnabled = true;
    int FReminderDisableCount = 0;
    // Set while a reminder tick runs; a tick that finds it set does nothing.
    bool FInTimer = false;

    // Raised when due events were found (EventsList holds them; the handler
    // may take them), before they are moved on; and after they were moved on.
    std::function<void(TvnCalendarReminder* sender)> OnBeforeFoundEvents;
    std::function<void(TvnCalendarReminder* sender)> OnAfterFoundEvents;
    // Announced events to bring back later (ID -> the new RunDate), set by
    // the OnBeforeFoundEvents handler: the tick stores that time for them,
    // not completed, instead of moving them on. Emptied by every tick.
    QHash<int, TDateTime> SnoozedEvents;

    // RunDate and Completed of the record for the present moment.
    void CalcEventNotifyDate(TvnEventParams* params);

    void FillEventsList();
    void AddEvent(TvnEventParams* params);
    void EditEvent(TvnEventParams* params);
    // Stores the event as due again at the given time, whatever its rules say.
    void SnoozeEvent(TvnEventParams* params, TDateTime until);
    void DeleteEvent(TvnEventParams* params);
    // The recurring events that start on or before 31 December of the shown year.
    void SelectEvents();
    void FindEvents(TvnFindParams params);

    void ReminderDisabled();
    void ReminderEnabled();

    bool ExportEvents(TvnExportParams params);
    bool SaveAsTXT(TvnExportParams params);
    bool SaveAsEDF(TvnExportParams params);
    bool ImportEvents(TvnImportParams params);

    void OnTimer(QObject* sender) override;

protected:
    // Puts the events table back on the current user's rows when an
    // operation that set a temporary (special) filter ends, whichever way it
    // ends.
    class EventsFilterScope {
    public:
        explicit EventsFilterScope(TvnCalendarReminder& calendar) : calendar_(calendar) {}
        ~EventsFilterScope();
        EventsFilterScope(const EventsFilterScope&) = delete;
        EventsFilterScope& operator=(const EventsFilterScope&) = delete;

    private:
        TvnCalendarReminder& calendar_;
    };

private:
    class ShownEventsUpdate;

    // A copy of the current events row, appended to EventsList.
    void AppendCurrentEvent();
    // Writes the record over its stored row (update sets RunDate and
    // Completed first) and notes the cells it left and entered in "shown".
    void StoreEvent(TvnEventParams* params, const std::function<void()>& update,
                    ShownEventsUpdate& shown);
    void ReminderTick();
    void AnnounceDueEvents();
    // Stores each announced event once, snoozed or moved on, in one
    // transaction, and repaints the cells concerned once.
    void MoveOnAnnouncedEvents(std::vector<TvnEventParams>& due,
                               const QHash<int, TDateTime>& snoozed);
    using TvnCellFlags = std::array<bool, CalendarCellCount>;
    void RepaintCells(const TvnCellFlags& cells);
    // The updates of a stored event: moved on to its next notification time
    // from now, or snoozed (due again at "until", not completed).
    std::function<void()> MovedOn(TvnEventParams* params);
    static std::function<void()> SnoozedUntil(TvnEventParams* params, TDateTime until);
    bool DescriptionMatches(const TvnFindParams& params, const QString& desc) const;
    void DeleteAllEventsOfCurrentUser();
    void StoreImportedEvents(const TvnEventDataReader& file);
};
