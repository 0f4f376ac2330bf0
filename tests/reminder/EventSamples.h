// Event records used by the reminder tests.
#pragma once

#include "store/Vntypes.h"
#include "support/TestSupport.h"

// The dentist appointment: 12 March 2024 09:30, notified 30 minutes ahead,
// category Meeting, a sound file and nothing else, not yet announced.
inline TvnEventParams DentistEvent() {
    TvnEventParams e;
    e.ID = 7;
    e.eType = etEvent;
    e.Desc = "Dentist";
    e.Date = At(2024, 3, 12, 9, 30);
    e.RunDate = At(2024, 3, 12, 9, 0);
    e.EndDate = 0;
    e.UseStartTime = true;
    e.Notify = true;
    e.NotifyParam = 30;
    e.NotifyType = ntMinutes;
    e.Category = ecMeeting;
    e.Recurrence = rkOnce;
    e.nParam = 1;
    e.Sound_File = "C:\\Sounds\\bell.wav";
    e.Completed = false;
    return e;
}

// A weekly recurring event with an end date, both files and notes.
inline TvnEventParams WeeklyEvent() {
    TvnEventParams e;
    e.ID = 8;
    e.eType = etRecurring;
    e.Desc = "Choir";
    e.Date = At(2024, 1, 4, 19, 0);
    e.RunDate = At(2024, 3, 14, 18, 0);
    e.EndDate = EncodeDate(2024, 12, 19);
    e.UseStartTime = true;
    e.UseEndDate = true;
    e.Notify = true;
    e.NotifyParam = 1;
    e.NotifyType = ntHours;
    e.Category = ecSpecial;
    e.Recurrence = rkWeekly;
    e.nParam = 2;
    e.Action_File = "/home/me/choir/score.pdf";
    e.Sound_File = "/home/me/choir/la.ogg";
    e.Notes = "Bring the score";
    return e;
}

inline TvnEventParams* NewEvent(const QString& desc, const QString& notes = {}) {
    auto* e = new TvnEventParams(DentistEvent());
    e->Desc = desc;
    e->Notes = notes;
    e->Sound_File.clear();
    return e;
}
