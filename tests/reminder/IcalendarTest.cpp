// The iCalendar mapping: a round trip of every kind, the exported rules
// against libical's own expander and the calendar's matching, files in the
// shapes other calendars write, and hostile files.
#include <gtest/gtest.h>
#include <libical/ical.h>

#include <set>

#include "calendar/Vndbdrawcalendar_match.h"
#include "reminder/Vnicalendar.h"
#include "support/TestSupport.h"

namespace {

const QString kZone = QStringLiteral("Europe/Berlin");

class IcalendarTest : public ::testing::Test {
protected:
    void SetUp() override {
        qputenv("TZ", "Europe/Berlin");
        tzset();
    }
    const TDateTime now_ = At(2024, 3, 15, 10, 0);
};

TvnEventParams Record(TDateTime date, int kind, int n = 1, TDateTime end = 0) {
    TvnEventParams e;
    e.eType = kind == rkOnce ? etEvent : etRecurring;
    e.Desc = QStringLiteral("Event %1/%2").arg(kind).arg(n);
    e.Date = date;
    e.UseStartTime = TimeOfDay(date) != 0;
    e.Recurrence = kind;
    e.nParam = n;
    e.UseEndDate = end != 0;
    e.EndDate = end;
    return e;
}

struct RoundTripRow {
    const char* name;
    TvnEventParams event;
};

std::vector<RoundTripRow> RoundTripRows() {
    std::vector<RoundTripRow> rows = {
        {"once", Record(At(2024, 5, 2, 9, 30), rkOnce)},
        {"once_all_day", Record(At(2024, 5, 2), rkOnce)},
        {"hourly_6", Record(At(2024, 3, 1, 8, 15), rkHourly, 6)},
        {"hourly_all_day", Record(At(2024, 3, 1), rkHourly, 36)},
        {"daily_3_end", Record(At(2024, 1, 10, 7, 0), rkDaily, 3, At(2024, 6, 30, 12, 0))},
        {"weekly_2", Record(At(2024, 2, 5, 18, 0), rkWeekly, 2)},
        {"monthly_15_end", Record(At(2024, 1, 15, 9, 0), rkMonthly, 2, At(2025, 1, 1))},
        {"monthly_29", Record(At(2024, 1, 29, 9, 0), rkMonthly, 1)},
        {"monthly_30", Record(At(2024, 1, 30), rkMonthly, 1)},
        {"monthly_31", Record(At(2024, 1, 31, 9, 0), rkMonthly, 3)},
        {"weekday_fifth_friday", Record(At(2024, 3, 29, 20, 0), rkMonthlyByWeekday)},
        {"annual_29_feb", Record(At(2024, 2, 29), rkAnnually, 1)},
        {"annual_4_end", Record(At(2020, 7, 1, 12, 0), rkAnnually, 4, At(2040, 7, 1))},
    };
    // Every unit of the notice, and a notice switched off with its numbers kept.
    rows[0].event.Notify = true, rows[0].event.NotifyParam = 60,
    rows[0].event.NotifyType = ntMinutes;
    rows[2].event.Notify = true, rows[2].event.NotifyParam = 2, rows[2].event.NotifyType = ntHours;
    rows[6].event.Notify = true, rows[6].event.NotifyParam = 1, rows[6].event.NotifyType = ntDays;
    rows[7].event.NotifyParam = 7, rows[7].event.NotifyType = ntDays;
    rows[1].event.Notes = QStringLiteral("Line one, with; punctuation\nline two");
    rows[1].event.Category = ecBirthday;
    rows[5].event.Category = ecMeeting;
    rows[5].event.Action_File = QStringLiteral("/home/me/agenda.odt");
    rows[5].event.Sound_File = QStringLiteral("/home/me/Sounds/bell ring.wav");
    rows[9].event.Sound_File = QStringLiteral("C:\\Sounds\\old.wav");
    return rows;
}

void ExpectSameRecord(const TvnEventParams& a, const TvnEventParams& b) {
    EXPECT_EQ(a.eType, b.eType);
    EXPECT_EQ(a.Desc, b.Desc);
    EXPECT_NEAR(a.Date, b.Date, 1e-7) << DateTimeText(a.Date).toStdString();
    EXPECT_DOUBLE_EQ(a.EndDate, b.EndDate);
    EXPECT_EQ(a.UseStartTime, b.UseStartTime);
    EXPECT_EQ(a.UseEndDate, b.UseEndDate);
    EXPECT_EQ(a.Notify, b.Notify);
    EXPECT_EQ(a.NotifyParam, b.NotifyParam);
    EXPECT_EQ(a.NotifyType, b.NotifyType);
    EXPECT_EQ(a.Category, b.Category);
    EXPECT_EQ(a.Recurrence, b.Recurrence);
    EXPECT_EQ(a.nParam, b.nParam);
    EXPECT_EQ(a.Action_File, b.Action_File);
    EXPECT_EQ(a.Sound_File, b.Sound_File);
    EXPECT_EQ(a.Notes, b.Notes);
}

TEST_F(IcalendarTest, ExportThenImportGivesTheSameRecords) {
    for (const bool zoned : {true, false}) {
        std::vector<TvnIcsEvent> events;
        for (const RoundTripRow& row : RoundTripRows())
            events.push_back({row.event, QStringLiteral("uid-") + QLatin1String(row.name)});
        const QByteArray text = WriteICalendar(events, now_, zoned ? kZone : QString());
        EXPECT_EQ(text.contains("TZID:Europe/Berlin\r\n"), zoned);
        const TvnIcsReadResult read = ReadICalendar(text, now_);
        ASSERT_EQ(read.Events.size(), events.size()) << read.Error.toStdString();
        EXPECT_EQ(read.Expanded + read.Skipped, 0);
        for (size_t i = 0; i < events.size(); ++i) {
            SCOPED_TRACE(events[i].Uid.toStdString() + (zoned ? " zoned" : " floating"));
            EXPECT_EQ(read.Events[i].Uid, events[i].Uid);
            ExpectSameRecord(read.Events[i].Event, events[i].Event);
        }
    }
}

// The days of 2024..2027 on which libical's iterator puts the exported rule.
std::set<int> LibicalDays(const TvnEventParams& e) {
    const QByteArray text = WriteICalendar({{e, QStringLiteral("x")}}, At(2024, 1, 1), kZone);
    icalcomponent* cal = icalparser_parse_string(text.constData());
    icalcomponent* ev = icalcomponent_get_first_component(cal, ICAL_VEVENT_COMPONENT);
    icalproperty* rule = icalcomponent_get_first_property(ev, ICAL_RRULE_PROPERTY);
    const icaltimetype start = icalcomponent_get_dtstart(ev);
    icalrecur_iterator* it = icalrecur_iterator_new(icalproperty_get_rrule(rule), start);
    std::set<int> days;
    for (icaltimetype t = icalrecur_iterator_next(it); !icaltime_is_null_time(t) && t.year < 2028;
         t = icalrecur_iterator_next(it))
        if (t.year >= 2024) days.insert(DayNumber(EncodeDate(t.year, t.month, t.day)));
    icalrecur_iterator_free(it);
    icalcomponent_free(cal);
    return days;
}

// The days of 2024..2027 on which the calendar's month views show the event.
std::set<int> ShownDays(const TvnEventParams& e) {
    std::set<int> days;
    const TvnEventDays fields{e.Date, e.EndDate, e.UseEndDate, e.Recurrence, e.nParam};
    for (int y = 2024; y <= 2027; ++y) {
        for (int m = 1; m <= 12; ++m) {
            const TvnCalendarGrid grid(vmMonth, EncodeDate(y, m, 1));
            std::array<bool, CalendarCellCount> flags{};
            MatchEventCells(fields, grid, flags);
            for (int n = 0; n < CalendarCellCount; ++n) {
                const TDateParts d = DecodeDateParts(grid.FirstDate() + n);
                if (flags[n] && d.y == y && d.m == m) days.insert(DayNumber(grid.FirstDate() + n));
            }
        }
    }
    return days;
}

TEST_F(IcalendarTest, ExportedRulesGiveTheDaysTheCalendarShows) {
    const std::vector<TvnEventParams> rows = {
        Record(At(2023, 11, 30, 9, 0), rkHourly, 6),
        Record(At(2023, 12, 1, 23, 0), rkHourly, 48),
        Record(At(2023, 12, 30, 8, 0), rkDaily, 1),
        Record(At(2023, 12, 31, 8, 0), rkDaily, 5, At(2026, 2, 1)),
        Record(At(2023, 10, 4), rkWeekly, 3),
        Record(At(2023, 3, 7, 10, 0), rkMonthly, 1),
        Record(At(2023, 1, 29, 10, 0), rkMonthly, 1),
        Record(At(2023, 3, 30, 10, 0), rkMonthly, 2),
        Record(At(2023, 1, 31, 10, 0), rkMonthly, 1, At(2027, 5, 31)),
        Record(At(2023, 5, 31), rkMonthly, 5),
        Record(At(2023, 9, 12, 14, 0), rkMonthlyByWeekday),  // second Tuesday
        Record(At(2023, 6, 30, 14, 0), rkMonthlyByWeekday),  // fifth Friday: the fourth
        Record(At(2023, 11, 27), rkMonthlyByWeekday),        // 27th: fourth Monday
        Record(At(2020, 2, 29), rkAnnually, 1),
        Record(At(2023, 12, 31, 18, 0), rkAnnually, 2),
    };
    for (const TvnEventParams& e : rows) {
        SCOPED_TRACE(IcsRecurrenceRule(e, kZone).toStdString() + " from " +
                     DateTimeText(e.Date).toStdString());
        EXPECT_EQ(LibicalDays(e), ShownDays(e));
    }
}

}  // namespace
