// The month lister without a widget against the calendar control's own
// matching and against a plain expander that steps every series from its
// start, for a mixed calendar of two users over five months.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <random>

#include "calendar/Vnmonthlist.h"
#include "support/BoundCalendar.h"

namespace {

using namespace std::chrono;

constexpr sys_days kEpoch = sys_days(1899y / December / 30);

int32_t DayOf(year_month_day d) {
    return static_cast<int32_t>((sys_days(d) - kEpoch).count());
}

year_month_day DateOf(int32_t day) {
    return year_month_day(kEpoch + days(day));
}

struct Series {
    int id, user, kind, n;
    int32_t start;  // day number
    bool useEnd;
    int32_t end;
};

// The series' k-th month (or year) with the start's day, lowered to the
// month's length.
year_month_day Clamped(year_month ym, unsigned day) {
    const unsigned length = unsigned((ym / last).day());
    return ym / std::min(day, length);
}

// Every day of the series up to "until", by stepping from its start.
std::vector<int32_t> Expand(const Series& s, int32_t until) {
    std::vector<int32_t> out{s.start};
    if (s.kind == rkOnce) return out;
    const year_month_day st = DateOf(s.start);
    const weekday_indexed nth{weekday(sys_days(st)), (unsigned(st.day()) - 1) / 7 + 1};
    for (int k = 1;; ++k) {
        int32_t d = 0;
        const year_month ym = year_month(st.year(), st.month()) + months(k * s.n);
        switch (s.kind) {
            case rkHourly:
                d = s.start + k * std::max(1, s.n / 24);
                break;
            case rkWeekly:
                d = s.start + 7 * k * s.n;
                break;
            case rkMonthly:
                d = DayOf(Clamped(ym, unsigned(st.day())));
                break;
            case rkMonthlyByWeekday:
                d = DayOf(year_month_day(
                    sys_days((year_month(st.year(), st.month()) + months(k)) / nth)));
                break;
            case rkAnnually:
                d = DayOf(Clamped(year_month(st.year() + years(k * s.n), st.month()),
                                  unsigned(st.day())));
                break;
            default:  // daily
                d = s.start + k * s.n;
        }
        if (d > until || (s.useEnd && d > s.end)) return out;
        out.push_back(d);
    }
}

std::vector<Series> MakeCalendar(TestDatabase& db) {
    std::mt19937 rng(20261201);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    const int kinds[] = {rkOnce,    rkHourly,           rkDaily,   rkWeekly,
                         rkMonthly, rkMonthlyByWeekday, rkAnnually};
    std::vector<Series> rows;
    for (int i = 0; i < 400; ++i) {
        Series s{0, pick(0, 1), kinds[i % 7], pick(1, 5), 0, pick(0, 3) == 0, 0};
        if (s.kind == rkHourly) s.n = 24 * pick(1, 3);
        const int dayMax = s.kind == rkMonthlyByWeekday ? 28 : 31;
        const year_month ym{year(pick(2020, 2026)), month(unsigned(pick(1, 12)))};
        s.start = DayOf(Clamped(ym, unsigned(pick(1, dayMax))));
        s.end = s.start + pick(0, 900);
        const TDateTime date = s.start + pick(0, 95) / 96.0;  // at some time of day
        s.id = db.AddEvent(s.user, QString::number(i), date, {s.kind, s.n});
        db.events.Edit();
        db.events.FieldByName(QStringLiteral("EndDate"))->SetAsDateTime(s.end + 0.75);
        db.events.FieldByName(QStringLiteral("UseEndDate"))->SetAsInteger(s.useEnd);
        db.events.Post();
        rows.push_back(s);
    }
    return rows;
}

std::vector<TvnOccurrence> Expected(const std::vector<Series>& rows, int user, int32_t first,
                                    int32_t last) {
    std::vector<TvnOccurrence> out;
    for (const Series& s : rows)
        if (s.user == user)
            for (int32_t d : Expand(s, last))
                if (d >= first && d <= last) out.push_back({d, s.id});
    std::sort(out.begin(), out.end());
    return out;
}

// The control's month view, read back as the days of the month per event.
std::vector<TvnOccurrence> ControlList(BoundCalendar& b, int user, TDateTime month) {
    b.cal.SetCurrUser(user);
    b.cal.SetCalendarDate(month);
    std::vector<TvnOccurrence> out;
    TADOTable& events = b.db.events;
    for (const TvnEventDrawData& entry : b.cal.EventDrawList) {
        events.SetBookmark(entry.Bookmark);
        const int id = events.FieldByName(QStringLiteral("ID"))->AsInteger();
        for (int n = 0; n < CalendarCellCount; ++n) {
            const TvnCell cell = CellOfFlagIndex(n);
            const TDateTime day = b.cal.CellToDate(cell.Col, cell.Row);
            if (entry.Cells[n] && DecodeDateParts(day).m == DecodeDateParts(month).m)
                out.push_back({DayNumber(day), id});
        }
    }
    std::sort(out.begin(), out.end());
    return out;
}

}  // namespace

void PrintTo(const TvnOccurrence& o, std::ostream* os) {
    *os << DateText(o.Day) << " #" << o.ID;
}

TEST(MonthList, MatchesTheControlAndAPlainExpansionForFiveMonths) {
    BoundCalendar b(At(2026, 12, 9));
    const std::vector<Series> rows = MakeCalendar(b.db);
    const year_month_day months[] = {2024y / February / 1, 2026y / December / 1,
                                     2027y / January / 1, 2025y / June / 1, 2026y / March / 1};
    for (const year_month_day& m : months) {
        const int32_t first = DayOf(m), lastDay = DayOf(year_month(m.year(), m.month()) / last);
        for (int user : {0, 1}) {
            const std::vector<TvnOccurrence> listed =
                ListMonthOccurrences(b.db.events, user, int(m.year()), int(unsigned(m.month())));
            SCOPED_TRACE(DateText(first) + " user " + std::to_string(user));
            EXPECT_GT(listed.size(), 100u);
            EXPECT_EQ(listed, Expected(rows, user, first, lastDay));
            EXPECT_EQ(listed, ControlList(b, user, first));
        }
    }
}
