// Series that this calendar cannot say directly: their occurrences through
// libical's recurrence iterator, compared with the nearest kind or expanded.
#include <algorithm>

#include "reminder/Vnicalendar_read_p.h"

using namespace ics;

namespace {

constexpr int64_t MaxStepsPerSeries = 400000;
constexpr size_t MaxOccurrencesPerSeries = 4000;  // ten years of days

struct Occurrences {
    std::vector<int64_t> Keys;  // sorted, unique, start to horizon
    bool Finite = false;        // the series ends before the horizon
    bool Ok = true;             // false when the step limits were hit
};

struct IteratorDeleter {
    void operator()(icalrecur_iterator* it) const { icalrecur_iterator_free(it); }
};

TDateTime LocalOfKey(int64_t key) {
    const int64_t day = key >= 0 ? key / 1440 : (key - 1439) / 1440;
    return ComposeDateTime(double(day), double(key - day * 1440) / MinsPerDay);
}

// The rule's occurrences up to the horizon; Finite when it ended before.
void RuleOccurrences(const icalrecurrencetype& r, const icaltimetype& start, TvnReadContext& ctx,
                     Occurrences& out) {
    std::unique_ptr<icalrecur_iterator, IteratorDeleter> it(icalrecur_iterator_new(r, start));
    if (!it) {
        out.Finite = true;  // a rule libical refuses: only the start remains
        return;
    }
    const int64_t horizon = MinuteKey(ctx.Horizon);
    for (int64_t steps = 0;; ++steps) {
        if (steps > MaxStepsPerSeries || --ctx.StepBudget < 0) {
            out.Ok = false;
            return;
        }
        const icaltimetype t = icalrecur_iterator_next(it.get());
        if (icaltime_is_null_time(t)) break;
        const auto local = LocalTime(t);
        if (!local) break;
        const int64_t key = MinuteKey(*local);
        if (key > horizon) return;
        out.Keys.push_back(key);
    }
    out.Finite = true;
}

template <typename Visit>
void ForEachTime(icalcomponent* ev, icalproperty_kind kind, Visit visit) {
    for (icalproperty* p = icalcomponent_get_first_property(ev, kind); p;
         p = icalcomponent_get_next_property(ev, kind)) {
        const icaltimetype t = icalproperty_get_datetime_with_component(p, ev);
        if (const auto local = LocalTime(t)) visit(MinuteKey(*local), bool(t.is_date));
    }
}

void RemoveExcluded(icalcomponent* ev, const std::vector<int64_t>& overridden,
                    std::vector<int64_t>& keys) {
    std::vector<int64_t> times = overridden, days;
    ForEachTime(ev, ICAL_EXDATE_PROPERTY, [&](int64_t key, bool isDate) {
        (isDate ? days : times).push_back(isDate ? key / 1440 : key);
    });
    std::erase_if(keys, [&](int64_t k) {
        return std::find(times.begin(), times.end(), k) != times.end() ||
               std::find(days.begin(), days.end(), k / 1440) != days.end();
    });
}

Occurrences SeriesOccurrences(icalcomponent* ev, const icaltimetype& start, TvnReadContext& ctx,
                              const TvnIcsEvent& base) {
    Occurrences out;
    int rules = 0;
    for (icalproperty* p = icalcomponent_get_first_property(ev, ICAL_RRULE_PROPERTY); p && out.Ok;
         p = icalcomponent_get_next_property(ev, ICAL_RRULE_PROPERTY), ++rules) {
        Occurrences one;
        RuleOccurrences(icalproperty_get_rrule(p), start, ctx, one);
        out.Ok = one.Ok;
        out.Finite = (rules == 0 || out.Finite) && one.Finite;
        out.Keys.insert(out.Keys.end(), one.Keys.begin(), one.Keys.end());
    }
    if (rules == 0) out.Finite = true;
    const int64_t horizon = MinuteKey(ctx.Horizon);
    out.Keys.push_back(MinuteKey(base.Event.Date));  // the start always counts
    ForEachTime(ev, ICAL_RDATE_PROPERTY, [&](int64_t key, bool) {
        if (key <= horizon) out.Keys.push_back(key);
    });
    std::sort(out.Keys.begin(), out.Keys.end());
    out.Keys.erase(std::unique(out.Keys.begin(), out.Keys.end()), out.Keys.end());
    RemoveExcluded(ev, ctx.Overrides.value(base.Uid), out.Keys);
    return out;
}

std::vector<int64_t> FromNow(const std::vector<int64_t>& keys, TDateTime now) {
    const int64_t from = MinuteKey(now);
    return {std::lower_bound(keys.begin(), keys.end(), from), keys.end()};
}

// The nearest kind with the same occurrences from now to the horizon.
bool MatchKind(icalcomponent* ev, const Occurrences& theirs, TvnReadContext& ctx,
               TvnEventParams& e) {
    icalproperty* rp = icalcomponent_get_first_property(ev, ICAL_RRULE_PROPERTY);
    if (!rp || theirs.Keys.empty()) return false;
    const icalrecurrencetype r = icalproperty_get_rrule(rp);
    TvnEventParams c = e;
    c.Recurrence = KindOfFrequency(r);
    c.nParam = std::max<int>(1, r.interval);
    c.UseEndDate = theirs.Finite;
    c.EndDate = theirs.Finite ? LocalOfKey(theirs.Keys.back()) : 0;
    if (c.Recurrence == rkOnce || (c.Recurrence == rkMonthlyByWeekday && c.nParam != 1))
        return false;
    std::vector<int64_t> ours;
    if (!OwnOccurrences(c, ctx.Horizon, MaxStepsPerSeries, ours)) return false;
    if (FromNow(ours, ctx.Now) != FromNow(theirs.Keys, ctx.Now)) return false;
    c.eType = etRecurring;
    e = c;
    return true;
}

void Expand(const std::vector<int64_t>& keys, const TvnIcsEvent& base, TvnReadContext& ctx) {
    for (int64_t key : keys) {
        TvnIcsEvent one = base;
        one.Event.Date = LocalOfKey(key);
        one.Event.eType = etEvent;
        one.Event.Recurrence = rkOnce;
        one.Event.UseEndDate = false;
        one.Event.EndDate = 0;
        if (!base.Uid.isEmpty()) one.Uid = base.Uid + u'/' + QString::number(key);
        ctx.Result.Events.push_back(std::move(one));
    }
    ++ctx.Result.Expanded;
    ctx.ExpandedBudget -= keys.size();
}

}  // namespace

void ReadSeries(icalcomponent* ev, const icaltimetype& start, const TvnIcsEvent& base,
                TvnReadContext& ctx) {
    const Occurrences theirs = SeriesOccurrences(ev, start, ctx, base);
    if (!theirs.Ok) {
        ++ctx.Result.Skipped;
        return;
    }
    TvnIcsEvent item = base;
    if (MatchKind(ev, theirs, ctx, item.Event)) {
        ctx.Result.Events.push_back(std::move(item));
        return;
    }
    const std::vector<int64_t> coming = FromNow(theirs.Keys, ctx.Now);
    if (coming.empty() || coming.size() > MaxOccurrencesPerSeries ||
        coming.size() > ctx.ExpandedBudget) {
        ++ctx.Result.Skipped;
        return;
    }
    Expand(coming, base, ctx);
}

namespace {

constexpr int MaxZoneParts = 64;
constexpr int MaxZoneDates = 512;

bool SafeZonePart(icalcomponent* part, int& dates) {
    icalproperty* start = icalcomponent_get_first_property(part, ICAL_DTSTART_PROPERTY);
    if (start) {
        const icaltimetype t = icalproperty_get_dtstart(start);
        if (t.year < 1600 || t.year > ics::MaxYear) return false;
    }
    for (icalproperty* p = icalcomponent_get_first_property(part, ICAL_RRULE_PROPERTY); p;
         p = icalcomponent_get_next_property(part, ICAL_RRULE_PROPERTY)) {
        const icalrecurrencetype r = icalproperty_get_rrule(p);
        if (r.freq != ICAL_YEARLY_RECURRENCE && r.freq != ICAL_MONTHLY_RECURRENCE) return false;
        if (r.interval < 1) return false;
    }
    dates += icalcomponent_count_properties(part, ICAL_RDATE_PROPERTY);
    return dates <= MaxZoneDates;
}

bool SafeZone(icalcomponent* zone) {
    int parts = 0, dates = 0;
    for (icalcomponent* c = icalcomponent_get_first_component(zone, ICAL_ANY_COMPONENT); c;
         c = icalcomponent_get_next_component(zone, ICAL_ANY_COMPONENT)) {
        if (++parts > MaxZoneParts || !SafeZonePart(c, dates)) return false;
    }
    return true;
}

}  // namespace

void DropUnsafeTimezones(icalcomponent* cal) {
    std::vector<icalcomponent*> unsafe;
    for (icalcomponent* z = icalcomponent_get_first_component(cal, ICAL_VTIMEZONE_COMPONENT); z;
         z = icalcomponent_get_next_component(cal, ICAL_VTIMEZONE_COMPONENT))
        if (!SafeZone(z)) unsafe.push_back(z);
    for (icalcomponent* z : unsafe) {
        icalcomponent_remove_component(cal, z);
        icalcomponent_free(z);
    }
}
