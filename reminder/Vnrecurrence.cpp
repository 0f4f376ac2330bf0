#include "reminder/Vnrecurrence.h"

#include <cmath>

#include "store/Vnseries.h"

void CalcEventNotifyDate(TvnEventParams* e, TDateTime now) {
    TDateTime runDate = e->Date;
    if (e->Notify) runDate -= e->NotifyParam * NotifyUnitDays(e->NotifyType);
    // The lead is subtracted once and the lead-adjusted instant is what recurs;
    // a monthly-by-weekday series keeps the start's weekday and week of the
    // month, so only the lead's time of day survives there.
    if (now - runDate >= 0) {
        const TvnSeries series(runDate, e->Recurrence, e->nParam, e->Date);
        runDate = series.NextAfter(now).value_or(runDate);
    }
    bool completed = runDate <= now || !std::isfinite(runDate);
    if (e->UseEndDate) completed = completed || runDate > e->EndDate;
    e->Completed = completed;
    e->RunDate = completed ? 0 : runDate;
}
