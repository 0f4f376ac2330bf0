// Calendars shared with other programs, read whole: tasks beside events,
// events without a summary, series written in other zones, dates given as
// periods, changed occurrences in every shape RFC 5545 allows, and series
// that began in the past. Each row lists the occurrences the RFC gives, in
// Berlin time.
#include <gtest/gtest.h>

#include <set>

#include "platform/DateFormat.h"
#include "reminder/Vnicalendar.h"
#include "reminder/Vnicalendar_p.h"
#include "support/TestSupport.h"

namespace {

QByteArray Zones() {
    // Berlin as Thunderbird writes it, and a zone cut short to its standard
    // time, as some servers send one.
    return "BEGIN:VTIMEZONE\r\nTZID:Europe/Berlin\r\n"
           "BEGIN:DAYLIGHT\r\nTZOFFSETFROM:+0100\r\nTZOFFSETTO:+0200\r\n"
           "DTSTART:19700329T020000\r\nRRULE:FREQ=YEARLY;BYDAY=-1SU;BYMONTH=3\r\nEND:DAYLIGHT\r\n"
           "BEGIN:STANDARD\r\nTZOFFSETFROM:+0200\r\nTZOFFSETTO:+0100\r\n"
           "DTSTART:19701025T030000\r\nRRULE:FREQ=YEARLY;BYDAY=-1SU;BYMONTH=10\r\nEND:STANDARD\r\n"
           "END:VTIMEZONE\r\n"
           "BEGIN:VTIMEZONE\r\nTZID:Pacific Standard Time\r\n"
           "BEGIN:STANDARD\r\nTZOFFSETFROM:-0800\r\nTZOFFSETTO:-0800\r\n"
           "DTSTART:16010101T000000\r\nEND:STANDARD\r\nEND:VTIMEZONE\r\n";
}

QByteArray Vevent(const QByteArray& uid, const QByteArray& lines) {
    return "BEGIN:VEVENT\r\nUID:" + uid + "\r\nDTSTAMP:20240101T000000Z\r\n" + lines +
           "END:VEVENT\r\n";
}

QByteArray Calendar(const QByteArray& components) {
    return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Test//EN\r\n" + Zones() + components +
           "END:VCALENDAR\r\n";
}

// Every occurrence of what was read, from 2023 to May 2024, as
// "yyyy-mm-dd hh:nn description".
std::set<QString> Occurrences(const TvnIcsReadResult& read) {
    std::set<QString> out;
    for (const TvnIcsEvent& item : read.Events) {
        std::vector<int64_t> keys;
        ics::OwnOccurrences(item.Event, At(2024, 5, 1), 5000, keys);
        for (int64_t key : keys) {
            const TDateTime at = double(key) / 1440.0 + 1e-9;
            if (at < At(2023, 1, 1)) continue;
            out.insert(FormatDateTime(QStringLiteral("yyyy-mm-dd hh:nn"), at) + u' ' +
                       item.Event.Desc);
        }
    }
    return out;
}

struct SharedRow {
    const char* name;
    QByteArray components;
    std::set<QString> occurrences;
    int leftAlone = 0;
};

TEST(IcalendarShared, OtherProgramsCalendarsAreReadWhole) {
    qputenv("TZ", "Europe/Berlin");
    tzset();
    const std::vector<SharedRow> rows = {
        {"task_beside_event",
         "BEGIN:VTODO\r\nUID:t\r\nDTSTAMP:20240101T000000Z\r\nSUMMARY:Buy milk\r\nEND:VTODO\r\n" +
             Vevent("e", "SUMMARY:Dentist\r\nDTSTART;TZID=Europe/Berlin:20240320T093000\r\n"),
         {"2024-03-20 09:30 Dentist"},
         1},
        {"task_alone", "BEGIN:VTODO\r\nUID:t\r\nDTSTAMP:20240101T000000Z\r\nEND:VTODO\r\n", {}, 1},
        {"no_summary",
         Vevent("e", "DTSTART;TZID=Europe/Berlin:20240320T093000\r\n"),
         {"2024-03-20 09:30 "}},
        {"new_york_weekly_over_both_changes",
         Vevent("ny",
                "SUMMARY:Call\r\nDTSTART;TZID=America/New_York:20240305T090000\r\n"
                "RRULE:FREQ=WEEKLY;COUNT=6\r\n"),
         {"2024-03-05 15:00 Call", "2024-03-12 14:00 Call", "2024-03-19 14:00 Call",
          "2024-03-26 14:00 Call", "2024-04-02 15:00 Call", "2024-04-09 15:00 Call"}},
        {"utc_weekly",
         Vevent("u",
                "SUMMARY:Web\r\nDTSTART:20240320T080000Z\r\n"
                "RRULE:FREQ=WEEKLY;COUNT=3\r\n"),
         {"2024-03-20 09:00 Web", "2024-03-27 09:00 Web", "2024-04-03 10:00 Web"}},
        {"zone_cut_short_to_standard_time",
         Vevent("p",
                "SUMMARY:Sync\r\nDTSTART;TZID=Pacific Standard Time:20240326T060000\r\n"
                "RRULE:FREQ=WEEKLY;COUNT=2\r\n"),
         {"2024-03-26 15:00 Sync", "2024-04-02 16:00 Sync"}},
        {"rdate_as_period",
         Vevent("r",
                "SUMMARY:Talk\r\nDTSTART;TZID=Europe/Berlin:20240320T090000\r\n"
                "RDATE;VALUE=PERIOD;TZID=Europe/Berlin:20240322T140000/PT1H\r\n"),
         {"2024-03-20 09:00 Talk", "2024-03-22 14:00 Talk"}},
        {"this_and_future",
         Vevent("s",
                "SUMMARY:Standup\r\nDTSTART;TZID=Europe/Berlin:20240318T100000\r\n"
                "RRULE:FREQ=WEEKLY;COUNT=4\r\n") +
             Vevent("s",
                    "SUMMARY:Standup later\r\n"
                    "RECURRENCE-ID;RANGE=THISANDFUTURE;TZID=Europe/Berlin:20240401T100000\r\n"
                    "DTSTART;TZID=Europe/Berlin:20240401T110000\r\n"),
         {"2024-03-18 10:00 Standup", "2024-03-25 10:00 Standup", "2024-04-01 11:00 Standup later",
          "2024-04-08 11:00 Standup later"}},
        {"moved_onto_another_occurrence",
         Vevent("d",
                "SUMMARY:Walk\r\nDTSTART;TZID=Europe/Berlin:20240318T100000\r\n"
                "RRULE:FREQ=DAILY;COUNT=3\r\n") +
             Vevent("d",
                    "SUMMARY:Walk moved\r\nRECURRENCE-ID;TZID=Europe/Berlin:20240318T100000\r\n"
                    "DTSTART;TZID=Europe/Berlin:20240319T100000\r\n"),
         {"2024-03-19 10:00 Walk moved", "2024-03-19 10:00 Walk", "2024-03-20 10:00 Walk"}},
        {"exchange_all_day_moved",
         Vevent("x",
                "SUMMARY:Leave\r\nDTSTART;VALUE=DATE:20240318\r\nRRULE:FREQ=DAILY;COUNT=3\r\n") +
             Vevent("x",
                    "SUMMARY:Leave\r\n"
                    "RECURRENCE-ID;TZID=Pacific Standard Time:20240319T000000\r\n"
                    "DTSTART;VALUE=DATE:20240321\r\n"),
         {"2024-03-18 00:00 Leave", "2024-03-20 00:00 Leave", "2024-03-21 00:00 Leave"}},
        {"series_from_last_year",
         Vevent("m",
                "SUMMARY:Rent\r\nDTSTART;TZID=Europe/Berlin:20230131T120000\r\n"
                "RRULE:FREQ=MONTHLY;UNTIL=20230601T000000Z\r\n"),
         {"2023-01-31 12:00 Rent", "2023-03-31 12:00 Rent", "2023-05-31 12:00 Rent"}},
    };
    for (const SharedRow& row : rows) {
        SCOPED_TRACE(row.name);
        const TvnIcsReadResult read =
            ReadICalendar(Calendar(row.components), At(2024, 3, 15, 10, 0));
        EXPECT_TRUE(read.Error.isEmpty()) << read.Error.toStdString();
        EXPECT_EQ(read.Skipped, 0);
        EXPECT_EQ(read.LeftAlone, row.leftAlone);
        EXPECT_EQ(Occurrences(read), row.occurrences);
        std::set<QString> uids;
        for (const TvnIcsEvent& item : read.Events)
            uids.insert(item.Uid);
        EXPECT_EQ(uids.size(), read.Events.size()) << "each occurrence keeps a UID of its own";
    }
}

TEST(IcalendarShared, ABrokenRuleIsCountedNotHidden) {
    const TvnIcsReadResult read = ReadICalendar(
        Calendar(Vevent("b", "SUMMARY:Odd\r\nDTSTART:20240320T090000\r\nRRULE:FREQ=SOMETIMES\r\n")),
        At(2024, 3, 15));
    ASSERT_EQ(read.Events.size(), 1u);
    EXPECT_EQ(read.Damaged, 1);
}

}  // namespace
