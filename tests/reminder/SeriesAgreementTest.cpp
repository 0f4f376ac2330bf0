// One series, three readers: the successive notification times, the days the
// month views show and libical's expansion of the exported rule give the same
// occurrences, for every kind, every interval of the editor and starts on the
// month's last days, with and without an end.
#include <gtest/gtest.h>
#include <libical/ical.h>

#include <cmath>
#include <set>

#include "calendar/Vndbdrawcalendar_match.h"
#include "reminder/Vnicalendar.h"
#include "reminder/Vnrecurrence.h"
#include "support/EventRecords.h"
#include "support/TestSupport.h"

namespace {

using Instants = std::set<int64_t>;  // minutes since day 0
using Days = std::set<int32_t>;

int64_t Minutes(TDateTime t) {
    return std::llround(t * MinsPerDay);
}

Days DaysOf(const Instants& instants) {
    Days days;
    for (int64_t m : instants)
        days.insert(int32_t(m / 1440));
    return days;
}

// Each notification time computed at the moment of the one before, so that
// every occurrence is an exact hit that must move on.
Instants ReminderInstants(TvnEventParams e, TDateTime horizon) {
    Instants out;
    for (TDateTime now = e.Date - 1 / MinsPerDay;;) {
        CalcEventNotifyDate(&e, now);
        if (e.Completed || e.RunDate > horizon) return out;
        if (!out.insert(Minutes(e.RunDate)).second) {
            ADD_FAILURE() << "stuck at " << DateTimeToStr(e.RunDate).toStdString();
            return out;
        }
        now = e.RunDate;
    }
}

// The days of each month on which that month's view shows the event.
Days ShownDays(const TvnEventParams& e, TDateTime horizon) {
    const TvnEventDays fields{e.Date, e.EndDate, e.UseEndDate, e.Recurrence, e.nParam};
    Days out;
    TDateParts month = DecodeDateParts(e.Date);
    for (TDateTime first = EncodeDate(month.y, month.m, 1); first <= horizon;
         first += DaysPerMonth(month.y, month.m), month = DecodeDateParts(first)) {
        const TvnCalendarGrid grid(vmMonth, first);
        std::array<bool, CalendarCellCount> flags{};
        MatchEventCells(fields, grid, flags);
        for (int c = 0; c < CalendarCellCount; ++c) {
            const TDateTime day = grid.FirstDate() + c;
            if (flags[c] && DecodeDateParts(day).m == month.m && day <= horizon)
                out.insert(DayNumber(day));
        }
    }
    return out;
}

// The start and what libical's iterator makes of the written RRULE.
Instants LibicalInstants(const TvnEventParams& e, TDateTime horizon) {
    TvnIcsEvent item;
    item.Event = e;
    item.Uid = QStringLiteral("series");
    const QByteArray text = WriteICalendar({item}, At(2024, 1, 1), QString());  // floating
    icalcomponent* cal = icalparser_parse_string(text.constData());
    icalcomponent* ev = icalcomponent_get_first_component(cal, ICAL_VEVENT_COMPONENT);
    icalproperty* rule = icalcomponent_get_first_property(ev, ICAL_RRULE_PROPERTY);
    Instants out{Minutes(e.Date)};
    icalrecur_iterator* it =
        rule ? icalrecur_iterator_new(icalproperty_get_rrule(rule), icalcomponent_get_dtstart(ev))
             : nullptr;
    for (icaltimetype t = it ? icalrecur_iterator_next(it) : icaltime_null_time();
         !icaltime_is_null_time(t); t = icalrecur_iterator_next(it)) {
        const TDateTime at = At(t.year, t.month, t.day, t.hour, t.minute);
        if (at > horizon) break;
        out.insert(Minutes(at));
    }
    if (it) icalrecur_iterator_free(it);
    icalcomponent_free(cal);
    return out;
}

// A start that moves with the interval over the last days of the months,
// 29 February 2024, fifth weekdays, all-day and timed.
TvnEventParams SeriesRecord(int kind, int n, TDateTime horizon, bool withEnd) {
    static const int kDays[] = {31, 29, 30, 1, 15, 28, 22};
    const int year = 2023 + n % 2, month = 1 + n * 5 % 12;
    TDateTime start = EncodeDate(year, month, std::min(kDays[n % 7], DaysPerMonth(year, month)));
    const bool timed = n % 3 != 0;
    if (timed) start += EncodeTime(n * 5 % 24, n * 13 % 60, 0, 0);
    TvnEventParams e = EventRecord({}, start, kind, n);
    e.UseStartTime = timed;
    // The reminder compares the end's full date-time, the calendar and the
    // export its day; at the day's last second they agree.
    e.UseEndDate = withEnd;
    e.EndDate = std::floor(start + (horizon - start) * 0.6) + 86399.0 / SecsPerDay;
    return e;
}

struct KindRow {
    const char* name;
    int kind;
    int years;  // how far each series is followed
};

void PrintTo(const KindRow& row, std::ostream* os) {
    *os << row.name;
}

class SeriesAgreement : public ::testing::TestWithParam<KindRow> {};

TEST_P(SeriesAgreement, ReminderCalendarAndExportGiveTheSameOccurrences) {
    const KindRow& row = GetParam();
    for (int n = 1; n <= 99; ++n) {
        for (bool withEnd : {false, true}) {
            const TDateTime horizon = EncodeDate(2024 + row.years, 12, 31) + 86399.0 / SecsPerDay;
            const TvnEventParams e = SeriesRecord(row.kind, n, horizon, withEnd);
            SCOPED_TRACE(::testing::Message()
                         << "every " << n << " from " << DateTimeToStr(e.Date).toStdString()
                         << (withEnd ? " with an end" : ""));
            const Instants reminder = ReminderInstants(e, horizon);
            ASSERT_EQ(reminder, LibicalInstants(e, horizon));
            ASSERT_EQ(ShownDays(e, horizon), DaysOf(reminder));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, SeriesAgreement,
    ::testing::Values(KindRow{"Once", rkOnce, 1}, KindRow{"UnknownCode", 9, 1},
                      KindRow{"Hourly", rkHourly, 1}, KindRow{"Daily", rkDaily, 2},
                      KindRow{"Weekly", rkWeekly, 6}, KindRow{"Monthly", rkMonthly, 16},
                      KindRow{"MonthlyByWeekday", rkMonthlyByWeekday, 3},
                      KindRow{"Annually", rkAnnually, 120}),
    [](const ::testing::TestParamInfo<KindRow>& info) { return std::string(info.param.name); });

}  // namespace
