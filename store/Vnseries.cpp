#include "store/Vnseries.h"

#include <algorithm>
#include <cmath>

namespace {

// Months counted from January of year 0, so that differences of months are
// plain differences of these counts.
int64_t MonthCount(int64_t year, int month) {
    return year * 12 + (month - 1);
}

TvnYearMonth FromMonthCount(int64_t count) {
    const int64_t year = count >= 0 ? count / 12 : (count - 11) / 12;
    return {year, static_cast<int>(count - year * 12) + 1};
}

// The number of n-steps from `base` that first reaches `target`; the
// runtime's Ceil keeps the historic rounding.
double StepsToReach(int64_t base, int64_t target, int n) {
    return Ceil(static_cast<double>(target - base) / static_cast<double>(n));
}

// ---- The recurrence kinds: everything that tells one kind from another.

enum class Shape {
    Once,
    Steps,           // a fixed number of days per unit
    Months,          // every n months on the first's day, lowered to the month's length
    WeekdayOfMonth,  // every month on the anchor's weekday in its week of the month
    Years,           // every n years on the first's day and month, lowered likewise
};

struct Kind {
    Shape shape;
    double unitDays;     // Steps: one unit is unitDays / unitDivisor days, and
    double unitDivisor;  // n units n * unitDays / unitDivisor (so hours stay n / 24)
    const char* freq;    // the RRULE FREQ
};

// Indexed by the stored Recurrence code.
constexpr Kind Kinds[RecurrenceCount] = {
    {Shape::Once, 0, 1, ""},                   // rkOnce
    {Shape::Steps, 1, HoursPerDay, "HOURLY"},  // rkHourly
    {Shape::Steps, 1, 1, "DAILY"},             // rkDaily
    {Shape::Steps, 7, 1, "WEEKLY"},            // rkWeekly
    {Shape::Months, 0, 1, "MONTHLY"},          // rkMonthly
    {Shape::WeekdayOfMonth, 0, 1, "MONTHLY"},  // rkMonthlyByWeekday
    {Shape::Years, 0, 1, "YEARLY"},            // rkAnnually
};

const char* const RuleWeekdays[] = {"MO", "TU", "WE", "TH", "FR", "SA", "SU"};

// Libical holds the interval in a short.
constexpr int MaxRuleInterval = 32767;

// The series' day in a month: a series from the 31st falls on the 30th, the
// 29th or the 28th.
int ClampedDay(int year, int month, int day) {
    return std::min(day, DaysPerMonth(year, month));
}

QString MonthlyRuleDays(int day) {
    // The day is lowered to the month's length, which RFC 5545 would skip.
    if (day <= 28) return QStringLiteral(";BYMONTHDAY=%1").arg(day);
    if (day == 29) return QStringLiteral(";BYMONTHDAY=28,29;BYSETPOS=-1");
    if (day == 30) return QStringLiteral(";BYMONTHDAY=28,29,30;BYSETPOS=-1");
    return QStringLiteral(";BYMONTHDAY=-1");
}

}  // namespace

TvnYearMonth AddMonths(int64_t year, int month, int64_t count) {
    return FromMonthCount(MonthCount(year, month) + count);
}

TvnSeries::TvnSeries(TDateTime first, int kind, int nParam, TDateTime anchor)
    : first_(Linear(first)),
      anchor_(anchor),
      kind_(kind >= 0 && kind < RecurrenceCount && std::isfinite(first) ? kind : rkOnce),
      n_(std::max(nParam, 1)),
      startYear_(0),
      startMonth_(1),
      startDay_(1),
      timeOfDay_(0),
      step_(0) {
    const Kind& k = Kinds[kind_];
    if (k.shape == Shape::Steps) step_ = n_ * k.unitDays / k.unitDivisor;
    if (k.shape == Shape::Once || k.shape == Shape::Steps) return;  // they need no calendar
    DecodeDate(first, startYear_, startMonth_, startDay_);
    timeOfDay_ = TimeOfDay(first);
}

double TvnSeries::Linear(TDateTime value) {
    if (!(value < 0)) return value;
    const double day = std::trunc(value);
    return day + (day - value);
}

TDateTime TvnSeries::FromLinear(double instant) {
    if (!(instant < 0)) return instant;
    const double day = std::floor(instant);
    return ComposeDateTime(day, instant - day);
}

bool TvnSeries::Repeats() const {
    return Kinds[kind_].shape != Shape::Once;
}

std::optional<TDateTime> TvnSeries::NextAfter(TDateTime instant) const {
    const std::optional<Cursor> c = Seek(Linear(instant), true);
    return c ? std::optional<TDateTime>(FromLinear(c->at)) : std::nullopt;
}

std::optional<TDateTime> TvnSeries::AtOrAfter(TDateTime instant) const {
    const std::optional<Cursor> c = Seek(Linear(instant), false);
    return c ? std::optional<TDateTime>(FromLinear(c->at)) : std::nullopt;
}

// The occurrence of the period that holds the instant, or of the next period
// when that one's lies before it (earlier in the same month, or lost to
// rounding).
std::optional<TvnSeries::Cursor> TvnSeries::Seek(double instant, bool strict) const {
    if (std::isnan(instant) || !std::isfinite(first_)) return std::nullopt;
    const auto meets = [&](double c) { return strict ? c > instant : c >= instant; };
    if (meets(first_)) return Cursor{first_, FirstPeriod()};
    if (!Repeats()) return std::nullopt;
    if (step_ > 0) {
        double p = Ceil((instant - first_) / step_);
        // A division that rounds up may pass over a step that meets the instant.
        if (p >= 1 && meets(first_ + (p - 1) * step_)) p -= 1;
        if (!meets(first_ + p * step_)) p += 1;
        return Cursor{first_ + p * step_, p};
    }
    double period = PeriodOf(instant);
    std::optional<double> c = Candidate(period);
    if (c && !meets(*c)) c = Candidate(++period);
    if (!c) return std::nullopt;
    return Cursor{*c, period};
}

// The period the first instant counts in: a monthly-by-weekday series may
// have a later occurrence in its first month (after a lead), which comes next.
double TvnSeries::FirstPeriod() const {
    if (!Repeats() || step_ > 0) return 0;
    const std::optional<double> own = Candidate(0);
    return own && *own > first_ ? -1 : 0;
}

std::optional<TvnSeries::Cursor> TvnSeries::AdvanceInCalendar(const Cursor& c) const {
    if (!Repeats()) return std::nullopt;
    const std::optional<double> next = Candidate(c.period + 1);
    if (!next) return std::nullopt;
    return Cursor{*next, c.period + 1};
}

// The first month or year period of the series that does not end before the
// instant.
double TvnSeries::PeriodOf(double instant) const {
    const Kind& k = Kinds[kind_];
    const TDateParts at = DecodeDateParts(Floor(instant));
    const int64_t months = MonthCount(at.y, at.m) - MonthCount(startYear_, startMonth_);
    if (k.shape == Shape::Months) return StepsToReach(0, months, n_);
    if (k.shape == Shape::Years) return StepsToReach(startYear_, at.y, n_);
    return static_cast<double>(months);  // WeekdayOfMonth
}

// The occurrence in a month or year period. In the first month of a
// monthly-by-weekday series it may lie before the first instant, which Seek
// and FirstPeriod allow for.
std::optional<double> TvnSeries::Candidate(double period) const {
    const Kind& k = Kinds[kind_];
    const int64_t p = static_cast<int64_t>(period);  // months and years stay small
    switch (k.shape) {
        case Shape::Months:
            return OnDay(AddMonths(startYear_, startMonth_, p * n_), startDay_);
        case Shape::WeekdayOfMonth: {
            const TvnYearMonth m = AddMonths(startYear_, startMonth_, p);
            if (m.Year < MinYear || m.Year > MaxYear) return std::nullopt;
            return OnDay(m, OccurrenceDayOfMonth(anchor_, int(m.Year), m.Month));
        }
        case Shape::Years:
            return OnDay({startYear_ + p * n_, startMonth_}, startDay_);
        default:
            break;
    }
    return std::nullopt;
}

// The day in the month, lowered to its length, at the first's time of day.
std::optional<double> TvnSeries::OnDay(TvnYearMonth month, int day) const {
    if (month.Year < MinYear || month.Year > MaxYear) return std::nullopt;
    const int year = static_cast<int>(month.Year);
    return EncodeDate(year, month.Month, ClampedDay(year, month.Month, day)) + timeOfDay_;
}

QString TvnSeries::RuleText() const {
    const Kind& k = Kinds[kind_];
    if (k.shape == Shape::Once) return {};
    const QString freq = QStringLiteral("FREQ=") + QLatin1String(k.freq);
    if (k.shape == Shape::WeekdayOfMonth) {  // every month: no interval
        int dWeek = 0, nWeek = 0;
        dWeek_And_nWeek(anchor_, dWeek, nWeek);
        return freq + QStringLiteral(";BYDAY=%1%2").arg(nWeek).arg(RuleWeekdays[dWeek - 1]);
    }
    QString rule = freq + QStringLiteral(";INTERVAL=%1").arg(std::min(n_, MaxRuleInterval));
    if (k.shape == Shape::Months) rule += MonthlyRuleDays(startDay_);
    if (k.shape == Shape::Years && startMonth_ == 2 && startDay_ == 29)
        rule += QStringLiteral(";BYMONTH=2;BYMONTHDAY=-1");
    return rule;
}
