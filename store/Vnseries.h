// One core for every recurring series: when it occurs next, which of its
// occurrences fall in a span, and the RRULE text it is exported as. The next
// notification time, the calendar's matching and the iCalendar series are
// thin callers of it, so a newcomer adding a recurrence kind changes this
// core (and the kind's RRULE text next to it) and nothing else.
#pragma once

#include <QString>
#include <cmath>
#include <cstdint>
#include <optional>

#include "platform/DateTime.h"
#include "store/Vntypes.h"  // the Recurrence codes

// A month of the calendar; the year may lie outside the supported calendar,
// so that callers decide themselves what a series beyond year 9999 means.
struct TvnYearMonth {
    int64_t Year = 0;
    int Month = 1;  // 1..12
    bool operator==(const TvnYearMonth&) const = default;
};

// The month count steps after (year, month); negative counts go back, and a
// step over the year's end carries into the next or the previous year.
TvnYearMonth AddMonths(int64_t year, int month, int64_t count);

// The occurrences of one series: its first instant, then one every nParam
// units of its kind (the Recurrence codes rkHourly .. rkAnnually). rkOnce,
// unknown codes and a first instant that is not finite give the first alone
// (or nothing). Month and year series end with the supported calendar.
// Instants are ordered by day and time of day, so that dates before
// 30 December 1899 (whose stored time of day counts away from zero) recur
// like any other.
class TvnSeries {
public:
    // `anchor` is the day whose weekday and week of the month a
    // monthly-by-weekday series repeats (at the first instant's time of day);
    // the other kinds ignore it. An interval below 1 counts as 1.
    TvnSeries(TDateTime first, int kind, int nParam, TDateTime anchor);
    TvnSeries(TDateTime first, int kind, int nParam) : TvnSeries(first, kind, nParam, first) {}

    bool Repeats() const;

    // The first occurrence strictly after `instant`, so that an exact hit
    // moves on; nothing once the series has ended.
    std::optional<TDateTime> NextAfter(TDateTime instant) const;
    // The first occurrence at or after `instant`.
    std::optional<TDateTime> AtOrAfter(TDateTime instant) const;

    // Visits the occurrences from `from` to `to` (both included) in order,
    // until the visitor answers false.
    template <typename Visit>
    void ForEachIn(TDateTime from, TDateTime to, Visit visit) const;

    // Visits once each day number from `fromDay` to `toDay` on which an
    // occurrence falls, until the visitor answers false; the walk jumps from
    // day to day, so a series of many occurrences a day costs one visit.
    template <typename Visit>
    void ForEachDayIn(int32_t fromDay, int32_t toDay, Visit visit) const;

    // The RRULE text of the series without its end: FREQ, INTERVAL and the
    // BY parts that say the kind. Empty for a series that does not repeat.
    QString RuleText() const;

private:
    // Instants as days plus time of day: the same value from 30 December
    // 1899 on, in order before it.
    static double Linear(TDateTime value);
    static TDateTime FromLinear(double instant);

    // An occurrence and its period; the next one is the next period's.
    struct Cursor {
        double at;  // linear
        double period;
    };
    std::optional<Cursor> Seek(double instant, bool strict) const;
    // Inline for steps: the calendar's matching takes one a shown day.
    std::optional<Cursor> Advance(const Cursor& c) const {
        if (step_ > 0) return Cursor{first_ + (c.period + 1) * step_, c.period + 1};
        return AdvanceInCalendar(c);
    }
    std::optional<Cursor> AdvanceInCalendar(const Cursor& c) const;
    // std::floor without the library call, for the day of each shown occurrence.
    static double Floor(double x) {
        if (!(std::fabs(x) < 9e15)) return std::floor(x);
        const double t = static_cast<double>(static_cast<int64_t>(x));
        return t > x ? t - 1 : t;
    }
    double FirstPeriod() const;
    double PeriodOf(double instant) const;
    std::optional<double> Candidate(double period) const;
    std::optional<double> OnDay(TvnYearMonth month, int day) const;

    double first_;  // linear
    TDateTime anchor_;
    int kind_;
    int n_;
    int startYear_, startMonth_, startDay_;
    double timeOfDay_;
    double step_;  // days, of a series of steps
};

template <typename Visit>
void TvnSeries::ForEachIn(TDateTime from, TDateTime to, Visit visit) const {
    const double last = Linear(to);
    for (std::optional<Cursor> c = Seek(Linear(from), false);
         c && c->at <= last && visit(FromLinear(c->at));) {
        const std::optional<Cursor> next = Advance(*c);
        if (!next || !(next->at > c->at)) return;  // a step lost to rounding ends the walk
        c = next;
    }
}

template <typename Visit>
void TvnSeries::ForEachDayIn(int32_t fromDay, int32_t toDay, Visit visit) const {
    for (std::optional<Cursor> c = Seek(fromDay, false); c;) {
        const double day = Floor(c->at);
        if (!(day <= toDay) || !visit(static_cast<int32_t>(day))) return;
        std::optional<Cursor> next = Advance(*c);
        if (next && next->at < day + 1) next = Seek(day + 1, false);  // several in a day
        if (!next || !(next->at >= day + 1)) return;
        c = next;
    }
}
