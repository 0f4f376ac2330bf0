#include "reminder/Vnrecurrence.h"

#include <algorithm>
#include <cmath>

#include "store/Vnseries.h"

namespace {

// Hourly, daily and weekly: a whole number of steps after the lead-adjusted
// start, the first one strictly after now (an exact hit on now would otherwise
// complete a recurring event that still has occurrences ahead).
TDateTime AdvanceBySteps(TDateTime runDate, double step, TDateTime now) {
    const double elapsed = now - runDate;
    double k = Ceil(elapsed / step);
    if (runDate + k * step <= now) k += 1;
    return runDate + k * step;
}

// Monthly: every nParam months on the start's day, shortened to each month.
TDateTime AdvanceMonthly(TDateTime runDate, int nParam, TDateTime now) {
    int nY = 0, nM = 0, nD = 0, rY = 0, rM = 0, d0 = 0;
    DecodeDate(now, nY, nM, nD);
    DecodeDate(runDate, rY, rM, d0);
    const double t = TimeOfDay(runDate);
    for (int i = 0; i < 2; ++i) {
        const TvnYearMonth month = SeriesMonthAtOrAfter({rY, rM}, AddMonths(nY, nM, i), nParam);
        rY = static_cast<int>(std::clamp<int64_t>(month.Year, MinYear, MaxYear));
        rM = month.Month;
        runDate = ComposeDateTime(EncodeDate(rY, rM, ClampedDay(rY, rM, d0)), t);
        if (runDate > now) break;
    }
    return runDate;
}

// Monthly on the start's weekday in the start's week of the month.
TDateTime AdvanceMonthlyByWeekday(TDateTime start, TDateTime runDate, TDateTime now) {
    int nY = 0, nM = 0, nD = 0, a = 0, b = 0;
    DecodeDate(now, nY, nM, nD);
    dWeek_And_nWeek(start, a, b);
    const int rD = OccurrenceDayOfMonth(start, nY, nM);
    const double t = TimeOfDay(runDate);
    runDate = ComposeDateTime(EncodeDate(nY, nM, rD), t);
    // Equal times count as passed, so the result always lies after now.
    if (rD < nD || (rD == nD && t <= TimeOfDay(now))) {
        runDate += 28;
        int dWeek = 0, nWeek = 0;
        dWeek_And_nWeek(runDate, dWeek, nWeek);
        if (nWeek != b) runDate += 7;
    }
    return runDate;
}

// Annually: every nParam years on the start's day and month.
TDateTime AdvanceAnnually(TDateTime runDate, int nParam, TDateTime now) {
    int nY = 0, nM = 0, nD = 0, rY = 0, rM = 0, d0 = 0;
    DecodeDate(now, nY, nM, nD);
    DecodeDate(runDate, rY, rM, d0);
    const double t = TimeOfDay(runDate);
    for (int i = 0; i < 2; ++i) {
        const int64_t year = SeriesYearAtOrAfter(rY, int64_t{nY} + i, nParam);
        rY = static_cast<int>(std::clamp<int64_t>(year, MinYear, MaxYear));
        runDate = ComposeDateTime(EncodeDate(rY, rM, ClampedDay(rY, rM, d0)), t);
        if (runDate > now) break;
    }
    return runDate;
}

TDateTime Advance(const TvnEventParams& e, TDateTime runDate, TDateTime now) {
    const int n = std::max(e.nParam, 1);
    switch (e.Recurrence) {
        case rkHourly:
            return AdvanceBySteps(runDate, n / HoursPerDay, now);
        case rkDaily:
            return AdvanceBySteps(runDate, n, now);
        case rkWeekly:
            return AdvanceBySteps(runDate, 7.0 * n, now);
        case rkMonthly:
            return AdvanceMonthly(runDate, n, now);
        case rkMonthlyByWeekday:
            return AdvanceMonthlyByWeekday(e.Date, runDate, now);
        case rkAnnually:
            return AdvanceAnnually(runDate, n, now);
        default:
            return runDate;
    }
}

}  // namespace

void CalcEventNotifyDate(TvnEventParams* e, TDateTime now) {
    TDateTime runDate = e->Date;
    if (e->Notify) runDate -= e->NotifyParam * NotifyUnitDays(e->NotifyType);
    if (e->Recurrence != rkOnce && now - runDate >= 0) runDate = Advance(*e, runDate, now);
    bool completed = runDate <= now || !std::isfinite(runDate);
    if (e->UseEndDate) completed = completed || runDate > e->EndDate;
    e->Completed = completed;
    e->RunDate = completed ? 0 : runDate;
}
