// The occurrences of one RRULE in bounded work. libical's iterator steps
// through every period of the rule's frequency until one matches, up to the
// year 2582: a rule that can never match holds it for minutes (minutely) or
// hours (secondly) inside one call. So the days on which a rule cannot fall
// are worked out here and never stepped through: sub-daily rules are walked
// here, period by period within the days that can match and jumping over the
// others; daily and coarser ones go to libical only while a day that can
// match lies ahead.
#include <QDate>
#include <algorithm>
#include <memory>

#include "reminder/Vnicalendar_read_p.h"

namespace ics {

namespace {

constexpr int64_t kDay = 86400;
// libical's iterator gives up at the end of 2582.
const int64_t kLastIteratedDay = QDate(2582, 12, 31).toJulianDay();

bool Has(const short* list) {
    return list[0] != ICAL_RECURRENCE_ARRAY_MAX;
}

template <size_t N>
bool Listed(const short (&list)[N], int value) {
    if (!Has(list)) return true;
    for (size_t i = 0; i < N && list[i] != ICAL_RECURRENCE_ARRAY_MAX; ++i)
        if (list[i] == value) return true;
    return false;
}

// A list whose negative entries count from the end (-1: the last of count).
template <size_t N>
bool ListedFromEither(const short (&list)[N], int value, int count) {
    if (!Has(list)) return true;
    for (size_t i = 0; i < N && list[i] != ICAL_RECURRENCE_ARRAY_MAX; ++i)
        if (list[i] == value || count + 1 + list[i] == value) return true;
    return false;
}

bool WeekdayListed(const icalrecurrencetype& r, const QDate& d) {
    if (!Has(r.by_day)) return true;
    const int weekday = d.dayOfWeek() % 7 + 1;  // libical: 1 Sunday .. 7 Saturday
    for (size_t i = 0; i < ICAL_BY_DAY_SIZE && r.by_day[i] != ICAL_RECURRENCE_ARRAY_MAX; ++i)
        if (int(icalrecurrencetype_day_day_of_week(r.by_day[i])) == weekday) return true;
    return false;
}

bool SubDaily(const icalrecurrencetype& r) {
    return r.freq == ICAL_SECONDLY_RECURRENCE || r.freq == ICAL_MINUTELY_RECURRENCE ||
           r.freq == ICAL_HOURLY_RECURRENCE;
}

bool Gregorian(const icalrecurrencetype& r) {
    return !r.rscale || qstricmp(r.rscale, "GREGORIAN") == 0;
}

// Whether the days a rule names are the days it falls on: not so for months
// of another calendar, nor when a missing day moves to the next (SKIP).
bool DaysAsNamed(const icalrecurrencetype& r) {
    return Gregorian(r) && r.skip == ICAL_SKIP_OMIT;
}

// Whether an occurrence can fall on the date, weekday aside: every part that
// limits days, or expands into them, under the rule's frequency.
bool DateCanMatch(const icalrecurrencetype& r, const QDate& d) {
    if (!Listed(r.by_month, d.month())) return false;
    if (r.freq != ICAL_WEEKLY_RECURRENCE &&
        !ListedFromEither(r.by_month_day, d.day(), d.daysInMonth()))
        return false;
    return !(SubDaily(r) || r.freq == ICAL_YEARLY_RECURRENCE) ||
           ListedFromEither(r.by_year_day, d.dayOfYear(), d.daysInYear());
}

// Exact for sub-daily rules; for the coarser ones a condition every
// occurrence meets (libical decides).
bool DayCanMatch(const icalrecurrencetype& r, const QDate& d) {
    return DateCanMatch(r, d) && WeekdayListed(r, d);
}

// Whether any day at all can carry the rule (February the 30th cannot). A
// common and a leap year hold every date there is, and each date falls on
// every weekday sooner or later.
bool SomeDayCanMatch(const icalrecurrencetype& r) {
    for (QDate d(2023, 1, 1); d.year() <= 2024; d = d.addDays(1))
        if (DateCanMatch(r, d)) return true;
    return false;
}

int64_t FloorDiv(int64_t a, int64_t b) {
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

int64_t JulianDay(const icaltimetype& t) {
    return QDate(t.year, t.month, t.day).toJulianDay();
}

// A time of a zone as seconds since Julian day 0 in its own fields, and back.
int64_t FieldSeconds(const icaltimetype& t) {
    const int64_t time = t.is_date ? 0 : t.hour * 3600 + t.minute * 60 + std::min(t.second, 59);
    return JulianDay(t) * kDay + time;
}

icaltimetype FieldTime(int64_t seconds, icaltimetype like) {
    const int64_t day = FloorDiv(seconds, kDay), second = seconds - day * kDay;
    const QDate d = QDate::fromJulianDay(day);
    like.year = d.year(), like.month = d.month(), like.day = d.day();
    like.hour = int(second / 3600), like.minute = int(second / 60 % 60);
    like.second = int(second % 60);
    return like;
}

// The zone of a start that is neither floating nor UTC.
icaltimezone* ZoneOf(const icaltimetype& start) {
    if (start.is_date || !start.zone || icaltime_is_utc(start)) return nullptr;
    return const_cast<icaltimezone*>(start.zone);
}

struct IteratorDeleter {
    void operator()(icalrecur_iterator* it) const { icalrecur_iterator_free(it); }
};
using IteratorPtr = std::unique_ptr<icalrecur_iterator, IteratorDeleter>;

// The smallest listed value above `value`, or -1.
template <size_t N>
int NextListed(const short (&list)[N], int value) {
    int next = -1;
    for (size_t i = 0; i < N && list[i] != ICAL_RECURRENCE_ARRAY_MAX; ++i)
        if (list[i] > value && (next < 0 || list[i] < next)) next = list[i];
    return next;
}

// The sub-daily rules: every period of the frequency (a second, minute or
// hour from the start on), within the days, hours and minutes that the rule
// allows; periods outside them are jumped over whole. As libical does, the
// periods of a start in a zone are counted in real time (UTC), and the
// rule's parts are read in the zone's own time.
class SubDailyWalk {
public:
    SubDailyWalk(const icalrecurrencetype& r, const icaltimetype& start, const RuleVisit& visit)
        : r_(r),
          start_(start),
          visit_(visit),
          zone_(ZoneOf(start)),
          base_(Clock(FieldSeconds(start))),
          step_(int64_t(std::max<short>(r.interval, 1)) * Unit()),
          until_(Until()) {}

    RuleEnd Run(RuleBounds& bounds);

private:
    int64_t Unit() const {
        return r_.freq == ICAL_SECONDLY_RECURRENCE   ? 1
               : r_.freq == ICAL_MINUTELY_RECURRENCE ? 60
                                                     : 3600;
    }
    // Seconds of the zone's time to the walk's clock, and back.
    int64_t Clock(int64_t local) const {
        if (!zone_) return local;
        return FieldSeconds(
            icaltime_convert_to_zone(FieldTime(local, start_), icaltimezone_get_utc_timezone()));
    }
    int64_t Local(int64_t clock) const {
        if (!zone_) return clock;
        icaltimetype utc = icaltime_null_time();
        utc.zone = icaltimezone_get_utc_timezone();
        return FieldSeconds(icaltime_convert_to_zone(FieldTime(clock, utc), zone_));
    }
    // Where the walk can stop for UNTIL, a day late to be safe: the exact
    // test is libical's comparison of each occurrence.
    int64_t Until() const {
        if (icaltime_is_null_time(r_.until)) return INT64_MAX;
        icaltimetype u = r_.until;
        if (zone_ && !u.is_date) u = icaltime_convert_to_zone(u, icaltimezone_get_utc_timezone());
        return FieldSeconds(u) + kDay;
    }
    // The first period at or after `from`.
    int64_t Next(int64_t from) const {
        return from <= base_ ? base_ : base_ + (from - base_ + step_ - 1) / step_ * step_;
    }
    bool DayAllowed(int64_t day);
    // A time of the zone's from which the next period may match; nothing
    // when this one (at that local time) may.
    std::optional<int64_t> SkipTo(int64_t local);
    std::vector<int64_t> Occurrences(int64_t local) const;
    bool Emit(int64_t local, int64_t clock, RuleBounds& bounds, RuleEnd& end);

    const icalrecurrencetype& r_;
    const icaltimetype& start_;
    const RuleVisit& visit_;
    icaltimezone* const zone_;
    const int64_t base_, step_, until_;
    int64_t checkedDay_ = INT64_MIN, lastEmittedDay_ = INT64_MIN;
    bool dayAllowed_ = false;
    int emitted_ = 0;
};

bool SubDailyWalk::DayAllowed(int64_t day) {
    if (day != checkedDay_) {
        checkedDay_ = day;
        dayAllowed_ = DayCanMatch(r_, QDate::fromJulianDay(day));
    }
    return dayAllowed_;
}

// To the next listed hour, minute or second, else to the next larger unit.
std::optional<int64_t> SubDailyWalk::SkipTo(int64_t local) {
    const int64_t day = FloorDiv(local, kDay), second = local - day * kDay;
    const int hour = int(second / 3600), minute = int(second / 60 % 60), sec = int(second % 60);
    const int64_t hourStart = local - second % 3600, minuteStart = local - sec;
    if (!DayAllowed(day)) return (day + 1) * kDay;
    if (!Listed(r_.by_hour, hour)) {
        const int h = NextListed(r_.by_hour, hour);
        return h >= 0 && h < 24 ? day * kDay + h * 3600 : (day + 1) * kDay;
    }
    if (r_.freq != ICAL_HOURLY_RECURRENCE && !Listed(r_.by_minute, minute)) {
        const int m = NextListed(r_.by_minute, minute);
        return m >= 0 && m < 60 ? hourStart + m * 60 : hourStart + 3600;
    }
    if (r_.freq == ICAL_SECONDLY_RECURRENCE && !Listed(r_.by_second, sec)) {
        const int s = NextListed(r_.by_second, sec);
        return s >= 0 && s < 60 ? minuteStart + s : minuteStart + 60;
    }
    return std::nullopt;
}

// The period's occurrences in the zone's time: its own second, or those
// BYMINUTE and BYSECOND expand it into, then BYSETPOS.
std::vector<int64_t> SubDailyWalk::Occurrences(int64_t local) const {
    if (r_.freq == ICAL_SECONDLY_RECURRENCE) return {local};
    const auto values = [](const short* list, size_t size, int own) {
        std::vector<int> out;
        for (size_t i = 0; i < size && list[i] != ICAL_RECURRENCE_ARRAY_MAX; ++i)
            if (list[i] >= 0 && list[i] <= 59) out.push_back(list[i]);
        return Has(list) ? out : std::vector<int>{own};
    };
    const int64_t second = local - FloorDiv(local, kDay) * kDay;
    const bool hourly = r_.freq == ICAL_HOURLY_RECURRENCE;
    const int64_t periodStart = hourly ? local - second % 3600 : local - second % 60;
    const std::vector<int> minutes =
        hourly ? values(r_.by_minute, ICAL_BY_MINUTE_SIZE, start_.minute) : std::vector<int>{0};
    std::vector<int64_t> set;
    for (int m : minutes)
        for (int s : values(r_.by_second, ICAL_BY_SECOND_SIZE, std::min(start_.second, 59)))
            set.push_back(periodStart + m * 60 + s);
    std::sort(set.begin(), set.end());
    set.erase(std::unique(set.begin(), set.end()), set.end());
    if (!Has(r_.by_set_pos)) return set;
    std::vector<int64_t> chosen;
    const int n = int(set.size());
    for (size_t i = 0; i < ICAL_BY_SETPOS_SIZE && r_.by_set_pos[i] != ICAL_RECURRENCE_ARRAY_MAX;
         ++i) {
        const int pos = r_.by_set_pos[i] > 0 ? r_.by_set_pos[i] - 1 : n + r_.by_set_pos[i];
        if (pos >= 0 && pos < n) chosen.push_back(set[pos]);
    }
    std::sort(chosen.begin(), chosen.end());
    chosen.erase(std::unique(chosen.begin(), chosen.end()), chosen.end());
    return chosen;
}

bool SubDailyWalk::Emit(int64_t local, int64_t clock, RuleBounds& bounds, RuleEnd& end) {
    if (clock < base_) return true;
    if (--bounds.Budget < 0) return end = RuleEnd::OverBudget, false;
    const icaltimetype t = FieldTime(local, start_);
    if (!icaltime_is_null_time(r_.until) && icaltime_compare(t, r_.until) > 0)
        return end = RuleEnd::Ended, false;
    const int64_t day = FloorDiv(local, kDay);
    if (start_.is_date && day == lastEmittedDay_) return true;  // one a day for a date
    lastEmittedDay_ = day;
    if (!visit_(t)) return end = RuleEnd::Stopped, false;
    if (r_.count != 0 && ++emitted_ >= r_.count) return end = RuleEnd::Ended, false;
    return true;
}

RuleEnd SubDailyWalk::Run(RuleBounds& bounds) {
    for (int64_t p = base_;;) {
        if (--bounds.Budget < 0) return RuleEnd::OverBudget;
        if (bounds.Budget % 4096 == 0 && bounds.Deadline.hasExpired()) return RuleEnd::OverBudget;
        if (p > until_) return RuleEnd::Ended;
        const int64_t local = Local(p);
        if (FloorDiv(local, kDay) > bounds.LastDay) return RuleEnd::Stopped;
        if (const auto to = SkipTo(local)) {
            // Always on: a local time that comes twice must not send it back.
            p = std::max(Next(Clock(*to)), p + step_);
            continue;
        }
        RuleEnd end = RuleEnd::Ended;
        for (int64_t s : Occurrences(local))
            if (!Emit(s, p + (s - local), bounds, end)) return end;
        p += step_;
    }
}

// The first day at or after a given one on which a daily or coarser rule can
// fall, scanning each day of the window once however often it is asked.
class DayCursor {
public:
    DayCursor(const icalrecurrencetype& r, int64_t startDay, int64_t lastDay)
        : r_(r), startDay_(startDay), lastDay_(lastDay) {}

    std::optional<int64_t> FirstFrom(int64_t from) {
        if (found_ >= from) return found_;
        for (int64_t d = std::max(from, scanned_); d <= lastDay_; ++d) {
            if (Allowed(d)) return found_ = d;
        }
        scanned_ = lastDay_ + 1;
        return std::nullopt;
    }

private:
    bool Allowed(int64_t day) const {
        const int64_t interval = std::max<short>(r_.interval, 1);
        if (r_.freq == ICAL_DAILY_RECURRENCE && (day - startDay_) % interval != 0) return false;
        return !DaysAsNamed(r_) || DayCanMatch(r_, QDate::fromJulianDay(day));
    }

    const icalrecurrencetype& r_;
    const int64_t startDay_, lastDay_;
    int64_t found_ = INT64_MIN, scanned_ = INT64_MIN;
};

// The last day UNTIL may allow, a day late to be safe; far ahead without one.
int64_t UntilDay(const icalrecurrencetype& r) {
    return icaltime_is_null_time(r.until) ? kLastIteratedDay : JulianDay(r.until) + 1;
}

// Daily and coarser rules through libical, called only while a day that can
// match lies ahead. Each call is charged with the days it walked, which is
// what its time follows.
RuleEnd LibicalWalk(icalrecur_iterator* it, const icalrecurrencetype& r, const icaltimetype& start,
                    RuleBounds& bounds, const RuleVisit& visit) {
    DayCursor days(r, JulianDay(start), bounds.LastDay);
    const int64_t untilDay = UntilDay(r);
    int64_t day = JulianDay(start);
    for (int produced = 0;; ++produced) {
        if (r.count != 0 && produced >= r.count) return RuleEnd::Ended;
        const std::optional<int64_t> next = days.FirstFrom(day);
        if (!next) return untilDay <= bounds.LastDay ? RuleEnd::Ended : RuleEnd::Stopped;
        if (*next > untilDay) return RuleEnd::Ended;
        if (--bounds.Budget < 0 || bounds.Deadline.hasExpired()) return RuleEnd::OverBudget;
        const icaltimetype t = icalrecur_iterator_next(it);
        if (icaltime_is_null_time(t)) {
            // It looked for a match up to UNTIL or as far as it goes.
            bounds.Budget -= std::max<int64_t>(0, std::min(untilDay, kLastIteratedDay) - day);
            return RuleEnd::Ended;
        }
        bounds.Budget -= std::max<int64_t>(0, JulianDay(t) - day);
        if (bounds.Budget < 0) return RuleEnd::OverBudget;
        day = JulianDay(t);
        if (!visit(t)) return RuleEnd::Stopped;
    }
}

}  // namespace

RuleEnd WalkRule(const icalrecurrencetype& r, const icaltimetype& start, RuleBounds& bounds,
                 const RuleVisit& visit) {
    if (start.year < MinYear || start.year > MaxYear) return RuleEnd::Ended;
    if (DaysAsNamed(r) && !SomeDayCanMatch(r)) return RuleEnd::Ended;  // only the start
    if (bounds.Deadline.hasExpired()) return RuleEnd::OverBudget;
    // libical refuses what the RFC does not allow (BYWEEKNO with a monthly
    // rule, a numbered BYDAY with an hourly one ...): only the start remains.
    IteratorPtr it(icalrecur_iterator_new(r, start));
    if (!it) return RuleEnd::Ended;
    if (!SubDaily(r)) return LibicalWalk(it.get(), r, start, bounds, visit);
    if (!Gregorian(r)) return RuleEnd::OverBudget;  // months of another calendar
    return SubDailyWalk(r, start, visit).Run(bounds);
}

}  // namespace ics
