// An event record as the editor would hand it over: a description, a start
// with its time of day, a recurrence kind and interval, everything else at
// the defaults of a new event.
#pragma once

#include <QString>

#include "store/Vntypes.h"

inline TvnEventParams EventRecord(const QString& desc, TDateTime start, int recurrence = rkOnce,
                                  int nParam = 1) {
    TvnEventParams e;
    e.eType = recurrence == rkOnce ? etEvent : etRecurring;
    e.Desc = desc;
    e.Date = start;
    e.UseStartTime = true;
    e.Recurrence = recurrence;
    e.nParam = nParam;
    return e;
}
