// The recurrence kinds as RRULE text, and this calendar's own occurrences of
// a kind, to compare with what libical makes of a rule; both come from the
// series core, this unit adds the end.
#include <algorithm>

#include "reminder/Vnicalendar_p.h"
#include "store/Vnseries.h"

namespace ics {

namespace {

QString Until(const TvnEventParams& e, bool zoned) {
    // The end day is the last day on which the event may occur, all of it.
    const TDateTime lastMoment = DateTimeDays(e.EndDate) + 86399.0 / SecsPerDay;
    icaltimetype t = FloatingTime(lastMoment, !e.UseStartTime && e.Recurrence != rkHourly);
    if (zoned && !t.is_date) t = UtcOfLocal(lastMoment);
    return QStringLiteral(";UNTIL=") + QLatin1String(icaltime_as_ical_string(t));
}

// Adds keys while they lie on or before the limits; false once the series
// has passed them.
struct Collector {
    int64_t untilKey;
    int64_t endDay;  // last day, or INT64_MAX
    size_t cap;
    std::vector<int64_t>& keys;
    bool full = false;

    bool Add(int64_t key) {
        if (key > untilKey || key / 1440 > endDay) return false;
        if (keys.size() >= cap) {
            full = true;
            return false;
        }
        if (keys.empty() || key > keys.back()) keys.push_back(key);
        return true;
    }
};

}  // namespace

QString RuleText(const TvnEventParams& e, bool zoned) {
    QString rule = TvnSeries(e.Date, e.Recurrence, e.nParam).RuleText();
    if (!rule.isEmpty() && e.UseEndDate) rule += Until(e, zoned);
    return rule;
}

bool OwnOccurrences(const TvnEventParams& e, TDateTime until, size_t cap,
                    std::vector<int64_t>& keys) {
    // Nothing is read past the years of the span, so no series is walked past them.
    const int64_t untilKey =
        std::min(MinuteKey(until), MinuteKey(EncodeDate(MaxYear + 1, 1, 1)) - 1);
    Collector c{untilKey, e.UseEndDate ? DateTimeDays(e.EndDate) : INT64_MAX, cap, keys};
    TvnSeries(e.Date, e.Recurrence, e.nParam)
        .ForEachIn(e.Date, until + 1 / MinsPerDay,
                   [&](TDateTime t) { return c.Add(MinuteKey(t)); });
    return !c.full;
}

}  // namespace ics
