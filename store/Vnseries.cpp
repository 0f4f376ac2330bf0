#include "store/Vnseries.h"

#include <algorithm>

#include "store/Vntypes.h"

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

// The smallest multiple of n steps from `base` that reaches `target`; the
// runtime's Ceil keeps both callers' historic rounding.
int64_t StepAtOrAfter(int64_t base, int64_t target, int n) {
    const double steps = Ceil(static_cast<double>(target - base) / static_cast<double>(n));
    return base + static_cast<int64_t>(steps) * n;
}

}  // namespace

TvnYearMonth AddMonths(int64_t year, int month, int64_t count) {
    return FromMonthCount(MonthCount(year, month) + count);
}

TvnYearMonth SeriesMonthAtOrAfter(TvnYearMonth start, TvnYearMonth from, int n) {
    const int64_t s = MonthCount(start.Year, start.Month);
    return FromMonthCount(StepAtOrAfter(s, MonthCount(from.Year, from.Month), n));
}

int64_t SeriesYearAtOrAfter(int64_t startYear, int64_t fromYear, int n) {
    return StepAtOrAfter(startYear, fromYear, n);
}

int ClampedDay(int year, int month, int day) {
    return std::min(day, DaysPerMonth(year, month));
}
