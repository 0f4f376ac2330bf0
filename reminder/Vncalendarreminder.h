// The calendar control with events and the reminder: the found-events list,
// adding, changing, deleting and searching events with the shown cells kept in
// step, the once-a-second look for due events, and export and import. The
// data work is its TvnCalendarData's; this control keeps the found-events list
// and the reminder's switches, and raises the handlers around a due tick.
#pragma once

#include <QHash>
#include <functional>
#include <vector>

#include "calendar/Vndbdrawcalendar.h"
#include "reminder/Vnparams.h"
#include "reminder/Vnrecords.h"

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

    // EventsList = copies of the events of the present filter.
    void FillEventsList() { EventsList = Data().ReadEvents(); }
    void AddEvent(TvnEventParams* params) { Data().AddEvent(params); }
    void EditEvent(TvnEventParams* params) { Data().EditEvent(params); }
    // Stores the event as due again at the given time, whatever its rules say.
    void SnoozeEvent(TvnEventParams* params, TDateTime until) { Data().SnoozeEvent(params, until); }
    void DeleteEvent(TvnEventParams* params) { Data().DeleteEvent(params); }
    // The recurring events that start on or before 31 December of the shown year.
    void SelectEvents();
    void FindEvents(TvnFindParams params);

    void ReminderDisabled();
    void ReminderEnabled();

    bool ExportEvents(TvnExportParams params) { return Data().ExportEvents(params); }
    bool SaveAsTXT(TvnExportParams params) { return Data().SaveAsTXT(params); }
    bool SaveAsEDF(TvnExportParams params) { return Data().SaveAsEDF(params); }
    bool ImportEvents(TvnImportParams params);

    void OnTimer(QObject* sender) override;

private:
    void ReminderTick();
    void AnnounceDueEvents();
};
