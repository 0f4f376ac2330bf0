// The iCalendar mapping: a round trip of every kind, the exported rules
// against libical's own expander and the calendar's matching, files in the
// shapes other calendars write, and hostile files: rules that never match,
// files that name programs, devices in place of files.
#include <gtest/gtest.h>
#include <libical/ical.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QFile>
#include <cmath>
#include <functional>
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
            // Written for other programs to see, never read back.
            TvnEventParams expected = events[i].Event;
            expected.Action_File.clear();
            expected.Sound_File.clear();
            ExpectSameRecord(read.Events[i].Event, expected);
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

// A calendar as Thunderbird writes it: the zone's VTIMEZONE, then the events.
QByteArray Calendar(const QByteArray& events) {
    return "BEGIN:VCALENDAR\r\nPRODID:-//Test//EN\r\nVERSION:2.0\r\n"
           "BEGIN:VTIMEZONE\r\nTZID:Europe/Berlin\r\n"
           "BEGIN:DAYLIGHT\r\nTZOFFSETFROM:+0100\r\nTZOFFSETTO:+0200\r\nTZNAME:CEST\r\n"
           "DTSTART:19700329T020000\r\nRRULE:FREQ=YEARLY;BYDAY=-1SU;BYMONTH=3\r\nEND:DAYLIGHT\r\n"
           "BEGIN:STANDARD\r\nTZOFFSETFROM:+0200\r\nTZOFFSETTO:+0100\r\nTZNAME:CET\r\n"
           "DTSTART:19701025T030000\r\nRRULE:FREQ=YEARLY;BYDAY=-1SU;BYMONTH=10\r\nEND:STANDARD\r\n"
           "END:VTIMEZONE\r\n" +
           events + "END:VCALENDAR\r\n";
}

QByteArray Event(const QByteArray& lines) {
    return "BEGIN:VEVENT\r\nUID:u1\r\nDTSTAMP:20240101T000000Z\r\nSUMMARY:Imported\r\n" + lines +
           "END:VEVENT\r\n";
}

struct ForeignRow {
    const char* name;
    QByteArray text;
    size_t count;
    TDateTime date;  // of the first event
    bool useStartTime;
    int recurrence;
    int nParam;
    TDateTime endDate;  // 0: no end date
    int notifyMinutes;  // 0: no notice
    int expanded;
};

TEST_F(IcalendarTest, ImportsTheShapesOtherCalendarsWrite) {
    const std::vector<ForeignRow> rows = {
        {"thunderbird_weekly_count_alarm",
         Calendar(Event("DTSTART;TZID=Europe/Berlin:20240320T093000\r\n"
                        "DTEND;TZID=Europe/Berlin:20240320T103000\r\nRRULE:FREQ=WEEKLY;COUNT=10\r\n"
                        "CATEGORIES:Meeting\r\nBEGIN:VALARM\r\nACTION:DISPLAY\r\n"
                        "TRIGGER;VALUE=DURATION:-PT15M\r\nDESCRIPTION:x\r\nEND:VALARM\r\n")),
         1, At(2024, 3, 20, 9, 30), true, rkWeekly, 1, At(2024, 5, 22, 9, 30), 15, 0},
        {"gnome_all_day_yearly",
         Calendar(Event("DTSTART;VALUE=DATE:20240401\r\nDTEND;VALUE=DATE:20240402\r\n"
                        "RRULE:FREQ=YEARLY\r\n")),
         1, At(2024, 4, 1), false, rkAnnually, 1, 0, 0, 0},
        {"web_utc_winter", Calendar(Event("DTSTART:20240316T080000Z\r\n")), 1,
         At(2024, 3, 16, 9, 0), true, rkOnce, 1, 0, 0, 0},
        {"web_utc_summer", Calendar(Event("DTSTART:20240716T080000Z\r\n")), 1,
         At(2024, 7, 16, 10, 0), true, rkOnce, 1, 0, 0, 0},
        {"korganizer_builtin_zone",
         Calendar(Event("DTSTART;TZID=America/New_York:20240320T090000\r\n"
                        "BEGIN:VALARM\r\nACTION:AUDIO\r\nTRIGGER:-P1D\r\n"
                        "ATTACH:file:///usr/share/sounds/bell.oga\r\nEND:VALARM\r\n")),
         1, At(2024, 3, 20, 14, 0), true, rkOnce, 1, 0, 1440, 0},
        {"daily_count_exdate",
         Calendar(Event("DTSTART;TZID=Europe/Berlin:20240318T080000\r\n"
                        "RRULE:FREQ=DAILY;COUNT=5\r\n"
                        "EXDATE;TZID=Europe/Berlin:20240319T080000\r\n")),
         4, At(2024, 3, 18, 8, 0), true, rkOnce, 1, 0, 0, 1},
        {"monthly_31_skipping_months",
         Calendar(Event("DTSTART;TZID=Europe/Berlin:20240131T120000\r\nRRULE:FREQ=MONTHLY\r\n")),
         71, At(2024, 1, 31, 12, 0), true, rkOnce, 1, 0, 0, 1},  // from its start, before now
        {"second_tuesday",
         Calendar(Event("DTSTART;TZID=Europe/Berlin:20240312T180000\r\n"
                        "RRULE:FREQ=MONTHLY;BYDAY=2TU\r\n")),
         1, At(2024, 3, 12, 18, 0), true, rkMonthlyByWeekday, 1, 0, 0, 0},
        {"last_friday",
         Calendar(Event("DTSTART;TZID=Europe/Berlin:20240329T180000\r\n"
                        "RRULE:FREQ=MONTHLY;BYDAY=-1FR\r\n")),
         120, At(2024, 3, 29, 18, 0), true, rkOnce, 1, 0, 0, 1},
        {"moved_occurrence",
         Calendar(Event("DTSTART;TZID=Europe/Berlin:20240318T100000\r\n"
                        "RRULE:FREQ=WEEKLY;COUNT=3\r\n") +
                  Event("RECURRENCE-ID;TZID=Europe/Berlin:20240325T100000\r\n"
                        "DTSTART;TZID=Europe/Berlin:20240326T110000\r\n")),
         3, At(2024, 3, 18, 10, 0), true, rkOnce, 1, 0, 0, 1},
    };
    for (const ForeignRow& row : rows) {
        SCOPED_TRACE(row.name);
        const TvnIcsReadResult read = ReadICalendar(row.text, now_);
        ASSERT_EQ(read.Events.size(), row.count) << read.Error.toStdString();
        const TvnEventParams& e = read.Events.front().Event;
        EXPECT_EQ(DateTimeText(e.Date), DateTimeText(row.date));
        EXPECT_EQ(e.UseStartTime, row.useStartTime);
        EXPECT_EQ(e.Recurrence, row.recurrence);
        EXPECT_EQ(e.nParam, row.nParam);
        EXPECT_EQ(e.UseEndDate, row.endDate != 0);
        if (row.endDate != 0) {
            EXPECT_EQ(DateTimeText(e.EndDate), DateTimeText(row.endDate));
        }
        EXPECT_EQ(e.Notify, row.notifyMinutes != 0);
        if (row.notifyMinutes) {
            EXPECT_EQ(std::lround(e.NotifyParam * NotifyUnitDays(e.NotifyType) * 1440),
                      row.notifyMinutes);
        }
        EXPECT_EQ(read.Expanded, row.expanded);
        EXPECT_EQ(read.Skipped, 0);
        std::set<QString> uids;
        for (const TvnIcsEvent& item : read.Events)
            uids.insert(item.Uid);
        EXPECT_EQ(uids.size(), read.Events.size()) << "expanded events keep UIDs of their own";
    }
}

QByteArray Repeated(const QByteArray& event, int count) {
    QByteArray out;
    for (int i = 0; i < count; ++i)
        out += event;
    return out;
}

QByteArray FoldedSummary(int bytes) {
    QByteArray line = "SUMMARY:";
    for (int i = 0; i < bytes / 74; ++i)
        line += QByteArray(73, 'x') + "\r\n ";
    return line + "end\r\n";
}

struct HostileRow {
    const char* name;
    QByteArray text;
    bool error;
    size_t minEvents, maxEvents;
};

TEST_F(IcalendarTest, HostileFilesGetASafeAnswer) {
    QByteArray binary(4096, '\0');
    for (int i = 0; i < binary.size(); ++i)
        binary[i] = char((i * 7919) % 251);
    const QByteArray plain =
        "BEGIN:VEVENT\r\nDTSTART:20240401T100000\r\nSUMMARY:e\r\nEND:VEVENT\r\n";
    const QByteArray neverEndingZone =
        "BEGIN:VCALENDAR\r\nBEGIN:VTIMEZONE\r\nTZID:Europe/Berlin\r\nBEGIN:STANDARD\r\n"
        "DTSTART:19701025T030000\r\nTZOFFSETTO:+0100\r\n" +
        Repeated(plain, 100);
    const std::vector<HostileRow> rows = {
        {"empty", "", true, 0, 0},
        {"binary", binary, true, 0, 0},
        {"hundred_thousand_events", Calendar(Repeated(plain, 100000)), false, 100000, 100000},
        {"unbalanced_begin_end",
         "BEGIN:VCALENDAR\r\nEND:VEVENT\r\nBEGIN:VEVENT\r\nBEGIN:VEVENT\r\n" + plain +
             "END:VALARM\r\n",
         false, 0, 2},
        {"interval_zero",
         Calendar(Event("DTSTART:20240401T100000\r\nRRULE:FREQ=DAILY;INTERVAL=0\r\n")), false, 1,
         1},
        {"count_huge",
         Calendar(Event("DTSTART:20240401T100000\r\nRRULE:FREQ=DAILY;COUNT=999999999\r\n")), false,
         1, 1},
        {"secondly_forever", Calendar(Event("DTSTART:20240401T100000\r\nRRULE:FREQ=SECONDLY\r\n")),
         false, 0, 0},
        {"trigger_ten_years",
         Calendar(Event("DTSTART:20240401T100000\r\nBEGIN:VALARM\r\nACTION:DISPLAY\r\n"
                        "TRIGGER:-P3650D\r\nEND:VALARM\r\n")),
         false, 1, 1},
        {"year_one", Calendar(Event("DTSTART:00010101T100000\r\nRRULE:FREQ=YEARLY\r\n")), false, 0,
         0},
        {"year_99999", Calendar(Event("DTSTART:999990101T100000\r\n")), false, 0, 0},
        {"folded_line_1mb", Calendar(Event("DTSTART:20240401T100000\r\n" + FoldedSummary(1 << 20))),
         false, 1, 1},
        {"vtimezone_never_ends", neverEndingZone, true, 0, 0},
        {"dense_zone_rule",
         "BEGIN:VCALENDAR\r\nBEGIN:VTIMEZONE\r\nTZID:Europe/Berlin\r\nBEGIN:STANDARD\r\n"
         "DTSTART:16000101T000000\r\nRRULE:FREQ=SECONDLY\r\nTZOFFSETFROM:+0100\r\n"
         "TZOFFSETTO:+0100\r\nEND:STANDARD\r\nEND:VTIMEZONE\r\n" +
             Event("DTSTART;TZID=Europe/Berlin:20240401T100000\r\n") + "END:VCALENDAR\r\n",
         false, 1, 1},
    };
    for (const HostileRow& row : rows) {
        SCOPED_TRACE(row.name);
        const TvnIcsReadResult read = ReadICalendar(row.text, now_);
        EXPECT_EQ(!read.Error.isEmpty(), row.error) << read.Error.toStdString();
        EXPECT_GE(read.Events.size(), row.minEvents);
        EXPECT_LE(read.Events.size(), row.maxEvents);
        for (const TvnIcsEvent& item : read.Events) {
            EXPECT_GE(item.Event.nParam, 1);
            EXPECT_LE(item.Event.NotifyParam, 99);
        }
    }
}

TEST_F(IcalendarTest, ActionAndSoundFilesFromACalendarAreNeverTaken) {
    TvnEventParams own = Record(At(2024, 4, 1, 10, 0), rkWeekly);
    own.Action_File = QStringLiteral("/bin/sh");
    own.Sound_File = QStringLiteral("/etc/passwd");
    own.Notify = true, own.NotifyParam = 15, own.NotifyType = ntMinutes;
    const QByteArray audio =
        "BEGIN:VALARM\r\nACTION:AUDIO\r\nTRIGGER:-PT15M\r\n"
        "ATTACH:file:///etc/passwd\r\nEND:VALARM\r\n";
    const QByteArray action = "X-VORNEL-ACTION-FILE:/bin/sh\r\n";
    const struct {
        const char* name;
        QByteArray text;
        size_t events;
    } rows[] = {
        {"own_writer_zoned", WriteICalendar({{own, "u1"}}, now_, kZone), 1},
        {"own_writer_floating", WriteICalendar({{own, "u1"}}, now_, QString()), 1},
        {"action_property", Calendar(Event("DTSTART:20240401T100000\r\n" + action)), 1},
        {"audio_alarm", Calendar(Event("DTSTART:20240401T100000\r\n" + audio)), 1},
        {"expanded_series",
         Calendar(Event("DTSTART:20240401T100000\r\nRRULE:FREQ=DAILY;COUNT=3\r\n"
                        "EXDATE:20240402T100000\r\n" +
                        action + audio)),
         2},
        {"moved_occurrence",
         Calendar(Event("DTSTART:20240401T100000\r\nRRULE:FREQ=DAILY;COUNT=2\r\n") +
                  Event("RECURRENCE-ID:20240402T100000\r\nDTSTART:20240402T120000\r\n" + action +
                        audio)),
         2},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const TvnIcsReadResult read = ReadICalendar(row.text, now_);
        ASSERT_EQ(read.Events.size(), row.events) << read.Error.toStdString();
        for (const TvnIcsEvent& item : read.Events) {
            EXPECT_EQ(item.Event.Action_File, QString());
            EXPECT_EQ(item.Event.Sound_File, QString());
        }
        // The alarm itself still gives the notice.
        EXPECT_TRUE(read.Events.back().Event.Notify || row.text.count("VALARM") == 0);
    }
}

// Runs f in a child process with a watchdog, so that a read that hangs or
// eats memory fails the test instead of stopping it. True when f returned.
bool ReturnsInAChild(const std::function<void()>& f) {
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        alarm(60);
#if !defined(__SANITIZE_ADDRESS__)
        const rlimit memory{rlim_t(1) << 30, rlim_t(1) << 30};
        setrlimit(RLIMIT_AS, &memory);
#endif
        try {
            f();
        } catch (...) {
            _exit(1);
        }
        _exit(0);
    }
    int status = 0;
    return pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

struct CostlyRuleRow {
    const char* name;
    const char* rule;
    size_t events;
    TDateTime first, last;  // of the events read
    bool cutOff;            // left out, and named in the result
};

TEST_F(IcalendarTest, RulesThatNeverMatchEndInsteadOfSteppingForCenturies) {
    const TDateTime start = At(2024, 4, 1, 10, 0);  // ahead: it stays as the one occurrence
    const CostlyRuleRow rows[] = {
        {"secondly", "FREQ=SECONDLY;BYMONTH=2;BYMONTHDAY=30", 1, start, start, false},
        {"minutely", "FREQ=MINUTELY;BYMONTH=2;BYMONTHDAY=30", 1, start, start, false},
        {"hourly", "FREQ=HOURLY;BYMONTH=2;BYMONTHDAY=30", 1, start, start, false},
        {"daily", "FREQ=DAILY;BYMONTH=2;BYMONTHDAY=30", 1, start, start, false},
        {"weekly", "FREQ=WEEKLY;BYMONTH=2;BYMONTHDAY=30", 1, start, start, false},
        {"monthly", "FREQ=MONTHLY;BYMONTH=2;BYMONTHDAY=30", 1, start, start, false},
        {"yearly", "FREQ=YEARLY;BYMONTH=2;BYMONTHDAY=30", 1, start, start, false},
        {"minutely_31st_of_short_months", "FREQ=MINUTELY;BYMONTH=4,6,9,11;BYMONTHDAY=31", 1, start,
         start, false},
        {"hourly_day_366_in_june", "FREQ=HOURLY;BYMONTH=6;BYYEARDAY=366", 1, start, start, false},
        {"minutely_odd_minute_on_even_steps", "FREQ=MINUTELY;INTERVAL=2;BYMINUTE=5", 1, start,
         start, false},
        {"secondly_odd_second_on_even_steps", "FREQ=SECONDLY;INTERVAL=2;BYSECOND=5", 0, 0, 0, true},
        {"secondly_once_a_day",
         "FREQ=SECONDLY;BYHOUR=5;BYMINUTE=7;BYSECOND=9;UNTIL=20240405T235959", 5, start,
         At(2024, 4, 5, 5, 7), false},
        // Looks like the above, but a missing day moves on to the next.
        {"yearly_30th_of_february_skipped_forward",
         "RSCALE=GREGORIAN;FREQ=YEARLY;BYMONTH=2;BYMONTHDAY=30;SKIP=FORWARD;COUNT=3", 4, start,
         At(2027, 3, 1, 10, 0), false},
        {"hourly_last_day_of_the_month", "FREQ=HOURLY;BYMONTHDAY=-1;BYHOUR=9;COUNT=3", 4, start,
         At(2024, 6, 30, 9, 0), false},
    };
    for (const CostlyRuleRow& row : rows) {
        SCOPED_TRACE(row.name);
        const QByteArray text =
            Calendar(Event("DTSTART:20240401T100000\r\nRRULE:" + QByteArray(row.rule) + "\r\n"));
        ASSERT_TRUE(ReturnsInAChild([&] { ReadICalendar(text, now_); }));
        const TvnIcsReadResult read = ReadICalendar(text, now_);
        ASSERT_EQ(read.Events.size(), row.events);
        EXPECT_EQ(read.Skipped, row.cutOff ? 1 : 0);
        EXPECT_EQ(read.CutOff, row.cutOff ? QStringList("Imported") : QStringList());
        if (row.events == 0) continue;
        EXPECT_EQ(DateTimeText(read.Events.front().Event.Date), DateTimeText(row.first));
        EXPECT_EQ(DateTimeText(read.Events.back().Event.Date), DateTimeText(row.last));
    }
}

// Sub-daily rules are walked by the reader itself; where libical walks them
// in reasonable time, both give the same occurrences.
TEST_F(IcalendarTest, SubDailyRulesGiveTheOccurrencesLibicalGives) {
    const char* const rules[] = {
        "FREQ=HOURLY;INTERVAL=5;BYMINUTE=0,30;COUNT=40",
        "FREQ=HOURLY;INTERVAL=25;BYMINUTE=15,45;COUNT=30",
        "FREQ=HOURLY;BYHOUR=1,2,3;BYMONTH=4,5;BYMONTHDAY=30,1;COUNT=20",
        "FREQ=MINUTELY;INTERVAL=15;BYHOUR=9,10;BYDAY=MO,WE;COUNT=50",
        "FREQ=MINUTELY;INTERVAL=90;BYDAY=SA,SU;UNTIL=20240501T000000Z",
        "FREQ=MINUTELY;INTERVAL=7;BYSECOND=0,20;BYHOUR=23;COUNT=24",
        "FREQ=SECONDLY;INTERVAL=20;BYHOUR=12;BYMINUTE=0,5;BYYEARDAY=100,101,102;COUNT=18",
        "FREQ=SECONDLY;INTERVAL=86401;COUNT=10",
    };
    for (const char* rule : rules) {
        SCOPED_TRACE(rule);
        const QByteArray text = Calendar(Event(
            "DTSTART;TZID=Europe/Berlin:20240330T231500\r\nRRULE:" + QByteArray(rule) + "\r\n"));
        const TvnIcsReadResult read = ReadICalendar(text, now_);
        std::set<QString> ours, theirs;
        for (const TvnIcsEvent& item : read.Events)
            ours.insert(DateTimeText(item.Event.Date));
        icalcomponent* cal = icalparser_parse_string(text.constData());
        icalcomponent* ev = icalcomponent_get_first_component(cal, ICAL_VEVENT_COMPONENT);
        const icaltimetype dtstart = icalcomponent_get_dtstart(ev);
        icalrecur_iterator* it =
            icalrecur_iterator_new(icalrecurrencetype_from_string(rule), dtstart);
        theirs.insert(DateTimeText(At(2024, 3, 30, 23, 15)));
        for (icaltimetype t = icalrecur_iterator_next(it); !icaltime_is_null_time(t);
             t = icalrecur_iterator_next(it)) {
            // To the nearest minute, as the reader keeps times.
            const time_t at = icaltime_as_timet_with_zone(t, (icaltimezone*)dtstart.zone) + 30;
            std::tm local{};
            localtime_r(&at, &local);
            theirs.insert(DateTimeText(At(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                                          local.tm_hour, local.tm_min)));
        }
        icalrecur_iterator_free(it);
        icalcomponent_free(cal);
        EXPECT_GT(theirs.size(), 9u);
        EXPECT_EQ(ours, theirs);
    }
}

TEST_F(IcalendarTest, ADeviceOrAPipeIsRefusedBeforeAnythingIsRead) {
    QTemporaryDir dir;
    const QString fifo = dir.filePath("pipe.ics"), big = dir.filePath("big.ics"),
                  good = dir.filePath("good.ics");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QFile bigFile(big), goodFile(good);
    ASSERT_TRUE(bigFile.open(QIODevice::WriteOnly) && bigFile.resize(IcsMaxFileBytes + 1));
    ASSERT_TRUE(goodFile.open(QIODevice::WriteOnly));
    goodFile.write(Calendar(Event("DTSTART:20240401T100000\r\n")));
    goodFile.close();
    const struct {
        QString path;
        QString error;
    } rows[] = {
        {"/dev/zero", "\"/dev/zero\" is not a regular file and is not imported."},
        {fifo, '"' + fifo + "\" is not a regular file and is not imported."},
        {dir.path(), '"' + dir.path() + "\" is not a regular file and is not imported."},
        {dir.filePath("missing.ics"),
         "The file \"" + dir.filePath("missing.ics") + "\" could not be read."},
        {big, "The file is larger than 16 MB and is not imported."},
        {good, QString()},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.path.toStdString());
        ASSERT_TRUE(ReturnsInAChild([&] { ReadICalendarFile(row.path, now_); }));
        const TvnIcsReadResult read = ReadICalendarFile(row.path, now_);
        EXPECT_EQ(read.Error, row.error);
        EXPECT_EQ(read.Events.size(), row.error.isEmpty() ? 1u : 0u);
    }
}

}  // namespace
