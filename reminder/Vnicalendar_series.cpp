// The recurrence kinds as RRULE text, and this calendar's own occurrences of
// a kind, to compare with what libical makes of a rule.
#include <algorithm>

#include "reminder/Vnicalendar_p.h"
#include "store/Vnseries.h"

namespace ics {

namespace {

const char* const Weekdays[] = {"MO", "TU", "WE", "TH", "FR", "SA", "SU"};

// The program counts an interval below 1 as 1; libical holds it in a short.
int Interval(const TvnEventParams& e) {
    return std::clamp(e.nParam, 1, 32767);
}

QString MonthlyDays(int day) {
    // The day is lowered to the month's length, which RFC 5545 would skip.
    if (day <= 28) return QStringLiteral(";BYMONTHDAY=%1").arg(day);
    if (day == 29) return QStringLiteral(";BYMONTHDAY=28,29;BYSETPOS=-1");
    if (day == 30) return QStringLiteral(";BYMONTHDAY=28,29,30;BYSETPOS=-1");
    return QStringLiteral(";BYMONTHDAY=-1");
}

QString Until(const TvnEventParams& e, bool zoned) {
    // The end day is the last day on which the event may occur, all of it.
    const TDateTime lastMoment = DateTimeDays(e.EndDate) + 86399.0 / SecsPerDay;
    icaltimetype t = FloatingTime(lastMoment, !e.UseStartTime && e.Recurrence != rkHourly);
    if (zoned && !t.is_date) t = UtcOfLocal(lastMoment);
    return QStringLiteral(";UNTIL=") + QLatin1String(icaltime_as_ical_string(t));
}

}  // namespace

QString RuleText(const TvnEventParams& e, bool zoned) {
    const TDateParts s = DecodeDateParts(e.Date);
    QString rule;
    switch (e.Recurrence) {
        case rkHourly:
            rule = QStringLiteral("FREQ=HOURLY;INTERVAL=%1").arg(Interval(e));
            break;
        case rkDaily:
            rule = QStringLiteral("FREQ=DAILY;INTERVAL=%1").arg(Interval(e));
            break;
        case rkWeekly:
            rule = QStringLiteral("FREQ=WEEKLY;INTERVAL=%1").arg(Interval(e));
            break;
        case rkMonthly:
            rule = QStringLiteral("FREQ=MONTHLY;INTERVAL=%1").arg(Interval(e)) + MonthlyDays(s.d);
            break;
        case rkMonthlyByWeekday: {
            int dWeek = 0, nWeek = 0;
            dWeek_And_nWeek(e.Date, dWeek, nWeek);
            rule = QStringLiteral("FREQ=MONTHLY;BYDAY=%1%2").arg(nWeek).arg(Weekdays[dWeek - 1]);
            break;
        }
        case rkAnnually:
            rule = QStringLiteral("FREQ=YEARLY;INTERVAL=%1").arg(Interval(e));
            if (s.m == 2 && s.d == 29) rule += QStringLiteral(";BYMONTH=2;BYMONTHDAY=-1");
            break;
        default:
            return {};
    }
    if (e.UseEndDate) rule += Until(e, zoned);
    return rule;
}

namespace {

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

int64_t MonthKey(int64_t y, int m, int d, int64_t minuteOfDay) {
    TDateTime day = 0;
    if (y < MinYear || y > MaxYear || !TryEncodeDate(int(y), m, d, day)) return INT64_MAX;
    return MinuteKey(day) + minuteOfDay;
}

void Steps(const TvnEventParams& e, int64_t stepMinutes, Collector& c) {
    for (int64_t key = MinuteKey(e.Date); c.Add(key); key += stepMinutes) {
    }
}

void Months(const TvnEventParams& e, Collector& c) {
    const TDateParts s = DecodeDateParts(e.Date);
    const int64_t tod = MinuteKey(e.Date) - MinuteKey(DateTimeDays(e.Date));
    for (int64_t k = 0;; k += Interval(e)) {
        const TvnYearMonth ym = AddMonths(s.y, s.m, k);
        if (!c.Add(MonthKey(ym.Year, ym.Month, ClampedDay(int(ym.Year), ym.Month, s.d), tod)))
            return;
    }
}

void MonthsByWeekday(const TvnEventParams& e, Collector& c) {
    const TDateParts s = DecodeDateParts(e.Date);
    const int64_t tod = MinuteKey(e.Date) - MinuteKey(DateTimeDays(e.Date));
    if (!c.Add(MinuteKey(e.Date))) return;
    for (int64_t k = 0;; ++k) {
        const TvnYearMonth ym = AddMonths(s.y, s.m, k);
        if (ym.Year > MaxYear) return;
        const int day = OccurrenceDayOfMonth(e.Date, int(ym.Year), ym.Month);
        if (k == 0 && day <= s.d) continue;
        if (!c.Add(MonthKey(ym.Year, ym.Month, day, tod))) return;
    }
}

void Years(const TvnEventParams& e, Collector& c) {
    const TDateParts s = DecodeDateParts(e.Date);
    const int64_t tod = MinuteKey(e.Date) - MinuteKey(DateTimeDays(e.Date));
    for (int64_t y = s.y;; y += Interval(e)) {
        if (y > MaxYear || !c.Add(MonthKey(y, s.m, ClampedDay(int(y), s.m, s.d), tod))) return;
    }
}

}  // namespace

bool OwnOccurrences(const TvnEventParams& e, TDateTime until, size_t cap,
                    std::vector<int64_t>& keys) {
    Collector c{MinuteKey(until), e.UseEndDate ? DateTimeDays(e.EndDate) : INT64_MAX, cap, keys};
    const int64_t n = Interval(e);
    switch (e.Recurrence) {
        case rkHourly:
            Steps(e, n * 60, c);
            break;
        case rkDaily:
            Steps(e, n * 1440, c);
            break;
        case rkWeekly:
            Steps(e, n * 7 * 1440, c);
            break;
        case rkMonthly:
            Months(e, c);
            break;
        case rkMonthlyByWeekday:
            MonthsByWeekday(e, c);
            break;
        case rkAnnually:
            Years(e, c);
            break;
        default:
            c.Add(MinuteKey(e.Date));
    }
    return !c.full;
}

}  // namespace ics
