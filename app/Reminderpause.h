// Holds the reminder off while one of the program's dialogs or message boxes
// is open, so that no notification window opens over it; also when the
// dialog's run fails.
#pragma once

#include "reminder/Vncalendarreminder.h"

class TReminderPause {
public:
    explicit TReminderPause(TvnCalendarReminder& calendar) : calendar_(calendar) {
        calendar_.ReminderDisabled();
    }
    ~TReminderPause() { calendar_.ReminderEnabled(); }
    TReminderPause(const TReminderPause&) = delete;
    TReminderPause& operator=(const TReminderPause&) = delete;

private:
    TvnCalendarReminder& calendar_;
};
