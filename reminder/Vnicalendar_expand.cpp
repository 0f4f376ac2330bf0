// Series that this calendar cannot say directly: their occurrences, each rule
// walked in bounded steps, compared with the nearest kind or expanded.
#include <QCryptographicHash>
#include <QDate>
#include <algorithm>
#include <cmath>
#include <mutex>
#include <optional>

#include "reminder/Vnicalendar_read_p.h"

using namespace ics;

namespace {

constexpr int64_t MaxStepsPerSeries = 400000;
constexpr qint64 MaxMillisecondsPerSeries = 1000;
// A daily series from fifty years ago to ten years ahead.
constexpr size_t MaxOccurrencesPerSeries = 22000;

struct Occurrences {
    std::vector<int64_t> Keys;  // sorted, unique, start to horizon
    bool Finite = false;        // the series ends before the horizon
    bool Ok = true;             // false when the step limits were hit
    // Occurrences from a change of "this and the following" on: the change's
    // own fields, at their time moved by Shift minutes.
    std::vector<int64_t> Changed;
    const TvnOverride* Change = nullptr;
};

TDateTime LocalOfKey(int64_t key) {
    const int64_t day = key >= 0 ? key / 1440 : (key - 1439) / 1440;
    return ComposeDateTime(double(day), double(key - day * 1440) / MinsPerDay);
}

// The Julian day of a local time, one later: a rule's times are in the zone
// of its start, which is less than a day away from local time.
int64_t LastFieldDay(TDateTime local) {
    return QDate(1899, 12, 30).toJulianDay() + int64_t(std::floor(local)) + 1;
}

// The rule's occurrences up to the horizon, within the bounds; Finite when it
// ended before.
void RuleOccurrences(const icalrecurrencetype& r, const icaltimetype& start,
                     const TvnReadContext& ctx, RuleBounds& bounds, Occurrences& out) {
    const int64_t horizon = MinuteKey(ctx.Horizon);
    bool outOfRange = false;
    const RuleEnd end = WalkRule(r, start, bounds, [&](const icaltimetype& t) {
        const auto local = LocalTime(t);
        if (!local) return !(outOfRange = true);
        const int64_t key = MinuteKey(*local);
        if (key > horizon) return false;
        out.Keys.push_back(key);
        return true;
    });
    out.Ok = end != RuleEnd::OverBudget;
    out.Finite = end == RuleEnd::Ended || outOfRange;
}

// The time of a date-time property; an RDATE given as a PERIOD counts by
// its start, in the zone its TZID names.
icaltimetype PropertyTime(icalproperty* p, icalcomponent* ev) {
    icaltimetype t = icalproperty_get_datetime_with_component(p, ev);
    if (!icaltime_is_null_time(t) || icalproperty_isa(p) != ICAL_RDATE_PROPERTY) return t;
    const icaltimezone* zone = t.zone;
    t = icalproperty_get_rdate(p).period.start;
    if (!icaltime_is_utc(t) && zone) t.zone = zone;
    return t;
}

template <typename Visit>
void ForEachTime(icalcomponent* ev, icalproperty_kind kind, Visit visit) {
    for (icalproperty* p = icalcomponent_get_first_property(ev, kind); p;
         p = icalcomponent_get_next_property(ev, kind)) {
        const icaltimetype t = PropertyTime(p, ev);
        if (const auto local = LocalTime(t)) visit(MinuteKey(*local), bool(t.is_date));
    }
}

// Sorted, so that a series with hundreds of thousands of EXDATEs is not
// compared with each of them for each occurrence. An occurrence of a series
// of whole days is named by its day.
void RemoveExcluded(icalcomponent* ev, const std::vector<TvnOverride>& overridden, bool allDay,
                    std::vector<int64_t>& keys) {
    std::vector<int64_t> times, days;
    for (const TvnOverride& o : overridden) {
        if (o.ThisAndFuture) continue;
        if (allDay)
            days.push_back(o.WrittenDay);
        else
            times.push_back(o.Key);
    }
    ForEachTime(ev, ICAL_EXDATE_PROPERTY, [&](int64_t key, bool isDate) {
        (isDate ? days : times).push_back(isDate ? key / 1440 : key);
    });
    std::sort(times.begin(), times.end());
    std::sort(days.begin(), days.end());
    std::erase_if(keys, [&](int64_t k) {
        return std::binary_search(times.begin(), times.end(), k) ||
               std::binary_search(days.begin(), days.end(), k / 1440);
    });
}

// The first change of "this and the following occurrences" takes every
// occurrence from the one it names on.
void SplitAtChange(const std::vector<TvnOverride>& overridden, Occurrences& out) {
    for (const TvnOverride& o : overridden)
        if (o.ThisAndFuture && (!out.Change || o.Key < out.Change->Key)) out.Change = &o;
    if (!out.Change) return;
    const auto from = std::lower_bound(out.Keys.begin(), out.Keys.end(), out.Change->Key);
    out.Changed.assign(from, out.Keys.end());
    out.Keys.erase(from, out.Keys.end());
    out.Finite = true;
}

Occurrences SeriesOccurrences(icalcomponent* ev, const icaltimetype& start, TvnReadContext& ctx,
                              const TvnIcsEvent& base) {
    Occurrences out;
    int rules = 0;
    const int64_t given = std::min(MaxStepsPerSeries, ctx.StepBudget);
    RuleBounds bounds{LastFieldDay(ctx.Horizon), given,
                      std::min(ctx.Deadline, QDeadlineTimer(MaxMillisecondsPerSeries))};
    for (icalproperty* p = icalcomponent_get_first_property(ev, ICAL_RRULE_PROPERTY); p && out.Ok;
         p = icalcomponent_get_next_property(ev, ICAL_RRULE_PROPERTY), ++rules) {
        Occurrences one;
        RuleOccurrences(icalproperty_get_rrule(p), start, ctx, bounds, one);
        out.Ok = one.Ok;
        out.Finite = (rules == 0 || out.Finite) && one.Finite;
        out.Keys.insert(out.Keys.end(), one.Keys.begin(), one.Keys.end());
    }
    ctx.StepBudget -= given - bounds.Budget;
    if (rules == 0) out.Finite = true;
    const int64_t horizon = MinuteKey(ctx.Horizon);
    out.Keys.push_back(MinuteKey(base.Event.Date));  // the start always counts
    ForEachTime(ev, ICAL_RDATE_PROPERTY, [&](int64_t key, bool) {
        if (key <= horizon) out.Keys.push_back(key);
    });
    std::sort(out.Keys.begin(), out.Keys.end());
    out.Keys.erase(std::unique(out.Keys.begin(), out.Keys.end()), out.Keys.end());
    static const std::vector<TvnOverride> none;
    const auto found = ctx.Overrides.constFind(base.Uid);
    const std::vector<TvnOverride>& overridden = found == ctx.Overrides.cend() ? none : *found;
    RemoveExcluded(ev, overridden, start.is_date, out.Keys);
    SplitAtChange(overridden, out);
    return out;
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
    if (ours != theirs.Keys) return false;
    c.eType = etRecurring;
    e = c;
    return true;
}

// Each occurrence as a one-time event named after its slot in the series,
// at its time moved by shift minutes.
void Expand(const std::vector<int64_t>& keys, const TvnIcsEvent& base, TvnReadContext& ctx,
            int64_t shift = 0) {
    for (int64_t key : keys) {
        TvnIcsEvent one = base;
        one.Event.Date = LocalOfKey(key + shift);
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

// The occurrences from a change of "this and the following" on, with the
// change's fields, moved as the change moved the occurrence it names.
void ExpandChange(const Occurrences& theirs, const TvnIcsEvent& base, TvnReadContext& ctx) {
    TvnIcsEvent changed = base;
    icaltimetype start;
    if (!ReadEventFields(theirs.Change->Component, changed.Event, start) ||
        theirs.Changed.size() > ctx.ExpandedBudget) {
        ++ctx.Result.Skipped;
        return;
    }
    Expand(theirs.Changed, changed, ctx, MinuteKey(changed.Event.Date) - theirs.Change->Key);
}

}  // namespace

void ReadSeries(icalcomponent* ev, const icaltimetype& start, const TvnIcsEvent& base,
                TvnReadContext& ctx) {
    const Occurrences theirs = SeriesOccurrences(ev, start, ctx, base);
    if (!theirs.Ok) {  // not shortened: left out, and said so
        ++ctx.Result.Skipped;
        ctx.Result.CutOff << base.Event.Desc;
        return;
    }
    if (theirs.Change) ExpandChange(theirs, base, ctx);
    TvnIcsEvent item = base;
    if (MatchKind(ev, theirs, ctx, item.Event)) {
        ctx.Result.Events.push_back(std::move(item));
        return;
    }
    // The whole series, its past included: last year's calendar shows last year.
    if (theirs.Keys.empty()) return;
    if (theirs.Keys.size() > MaxOccurrencesPerSeries || theirs.Keys.size() > ctx.ExpandedBudget) {
        ++ctx.Result.Skipped;
        return;
    }
    TvnIcsEvent occurrence = base;
    occurrence.GoesOn = !theirs.Finite;
    Expand(theirs.Keys, occurrence, ctx);
}

namespace {

// Minutes by which local time is ahead of the zone's time at a wall-clock
// time of the zone; nothing when it cannot be worked out.
std::optional<int64_t> DistanceFromLocal(int64_t day, int minuteOfDay, const icaltimetype& start) {
    icaltimetype t = start;
    const QDate date = QDate(1899, 12, 30).addDays(day);
    t.year = date.year(), t.month = date.month(), t.day = date.day();
    t.hour = minuteOfDay / 60, t.minute = minuteOfDay % 60, t.second = 0;
    const auto local = LocalTime(t);
    if (!local) return std::nullopt;
    return MinuteKey(*local) - (day * 1440 + minuteOfDay);
}

// Seconds by which the zone's clock is ahead of UTC at noon of a day.
std::optional<int64_t> ZoneOffsetAtNoon(int64_t day, const icaltimetype& start) {
    icaltimetype t = start;
    const QDate date = QDate(1899, 12, 30).addDays(day);
    t.year = date.year(), t.month = date.month(), t.day = date.day();
    t.hour = 12, t.minute = 0, t.second = 0;
    if (t.year < ics::MinYear || t.year > ics::MaxYear) return std::nullopt;
    const icaltimezone* zone = icaltime_is_utc(start) ? icaltimezone_get_utc_timezone() : t.zone;
    const int64_t wall = (day - 25569) * 86400 + 12 * 3600;  // day 25569: 1 January 1970
    return wall - int64_t(icaltime_as_timet_with_zone(t, const_cast<icaltimezone*>(zone)));
}

// The zone sampled at noon from firstDay to lastDay: whether its distance
// from local time stays one, and the days on which its clock changes.
TvnZoneSteadiness SampleZone(const icaltimetype& start, int64_t firstDay, int64_t lastDay) {
    TvnZoneSteadiness z{firstDay, lastDay, false, {}, 0};
    const auto distance = DistanceFromLocal(firstDay, 720, start);
    std::optional<int64_t> offset = ZoneOffsetAtNoon(firstDay, start);
    if (!distance || !offset) return z;
    z.Distance = *distance;
    for (int64_t day = firstDay + 1; day <= lastDay; ++day) {
        if (DistanceFromLocal(day, 720, start) != distance) return z;
        const auto next = ZoneOffsetAtNoon(day, start);
        if (next != offset) z.ChangeDays.push_back(day);
        offset = next;
    }
    z.Steady = true;
    return z;
}

// The zone as this read defines it, and the local zone: a file may define a
// zone of a known name its own way (cut short, say).
QByteArray ZoneKey(const icaltimetype& start) {
    QByteArray key = qgetenv("TZ") + '\n';
    if (icaltime_is_utc(start)) return key + "UTC";
    icalcomponent* c = icaltimezone_get_component(const_cast<icaltimezone*>(start.zone));
    char* text = c ? icalcomponent_as_ical_string_r(c) : nullptr;
    key += text ? QCryptographicHash::hash(text, QCryptographicHash::Sha1)
                : QByteArray(icaltimezone_get_tzid(const_cast<icaltimezone*>(start.zone)));
    free(text);
    return key;
}

// Zones sampled by earlier reads too: a synchronisation reads each resource
// on its own, and they name the same few zones. A zone found unsteady is not
// sampled again for another span (the exact check follows anyway).
TvnZoneSteadiness SteadinessOf(const icaltimetype& start, int64_t first, int64_t last) {
    static std::mutex lock;
    static QHash<QByteArray, TvnZoneSteadiness> known;
    const QByteArray key = ZoneKey(start);
    {
        const std::lock_guard<std::mutex> guard(lock);
        const auto it = known.constFind(key);
        if (it != known.cend() && (!it->Steady || (it->From <= first && it->To >= last)))
            return *it;
    }
    const TvnZoneSteadiness sampled = SampleZone(start, first, last);
    const std::lock_guard<std::mutex> guard(lock);
    if (known.size() > 256) known.clear();
    known.insert(key, sampled);
    return sampled;
}

}  // namespace

bool KeepsLocalTime(const icaltimetype& start, const TvnEventParams& e, TvnReadContext& ctx) {
    const bool utc = icaltime_is_utc(start);
    if (e.Recurrence == rkOnce || start.is_date || (!utc && !start.zone)) return true;
    // An hourly series meets every time of day: it is checked occurrence by
    // occurrence instead.
    if (e.Recurrence == rkHourly) return false;
    // The days a kept series meets, a century at most.
    const int64_t last = int64_t(std::floor(ctx.Horizon));
    const int64_t first = std::max(int64_t(std::floor(e.Date)), last - 36525);
    const TvnZoneSteadiness known = SteadinessOf(start, first, last);
    if (!known.Steady) return false;
    // Around a change of the clocks the distance may differ at other times of
    // the day than noon (both zones change on that day, at different hours).
    const int minuteOfDay = start.hour * 60 + start.minute;
    for (const int64_t day : known.ChangeDays)
        for (const int64_t near : {day - 1, day, day + 1})
            if (DistanceFromLocal(near, minuteOfDay, start) != known.Distance) return false;
    return true;
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
