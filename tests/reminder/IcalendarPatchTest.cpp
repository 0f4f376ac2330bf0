// Another program's event changed in Vornel and written back: what the user
// changed is written, everything else stays as that program wrote it.
#include <gtest/gtest.h>
#include <libical/ical.h>

#include <functional>

#include "reminder/Vnicalendar.h"
#include "support/TestSupport.h"

namespace {

// An event as Thunderbird writes it: its zone, guests, a place, a category
// of its own, an e-mail alarm beside the display one, and its own marks.
const QByteArray kThunderbird =
    "BEGIN:VCALENDAR\r\nPRODID:-//Mozilla.org/NONSGML Mozilla Calendar V1.1//EN\r\n"
    "VERSION:2.0\r\nBEGIN:VTIMEZONE\r\nTZID:America/New_York\r\n"
    "BEGIN:DAYLIGHT\r\nTZOFFSETFROM:-0500\r\nTZOFFSETTO:-0400\r\nTZNAME:EDT\r\n"
    "DTSTART:19700308T020000\r\nRRULE:FREQ=YEARLY;BYDAY=2SU;BYMONTH=3\r\nEND:DAYLIGHT\r\n"
    "BEGIN:STANDARD\r\nTZOFFSETFROM:-0400\r\nTZOFFSETTO:-0500\r\nTZNAME:EST\r\n"
    "DTSTART:19701101T020000\r\nRRULE:FREQ=YEARLY;BYDAY=1SU;BYMONTH=11\r\nEND:STANDARD\r\n"
    "END:VTIMEZONE\r\nBEGIN:VEVENT\r\nCREATED:20240301T120000Z\r\n"
    "LAST-MODIFIED:20240301T120000Z\r\nDTSTAMP:20240301T120000Z\r\nUID:tb-1@example.com\r\n"
    "SUMMARY:Planning\r\nORGANIZER;CN=Ann:mailto:ann@example.com\r\n"
    "ATTENDEE;CN=Bob:mailto:bob@example.com\r\nLOCATION:Room 4\r\nCATEGORIES:Business\r\n"
    "STATUS:CONFIRMED\r\nDTSTART;TZID=America/New_York:20240320T090000\r\n"
    "DTEND;TZID=America/New_York:20240320T100000\r\nX-MOZ-GENERATION:2\r\n"
    "BEGIN:VALARM\r\nACTION:EMAIL\r\nTRIGGER:-PT30M\r\nATTENDEE:mailto:ann@example.com\r\n"
    "SUMMARY:Soon\r\nDESCRIPTION:Planning\r\nEND:VALARM\r\n"
    "BEGIN:VALARM\r\nACTION:DISPLAY\r\nTRIGGER:-PT15M\r\nDESCRIPTION:Planning\r\nEND:VALARM\r\n"
    "END:VEVENT\r\nEND:VCALENDAR\r\n";

// What another program keeps of the event that Vornel has no field for.
const char* const kKept[] = {"ORGANIZER;CN=Ann:mailto:ann@example.com",
                             "ATTENDEE;CN=Bob:mailto:bob@example.com",
                             "LOCATION:Room 4",
                             "STATUS:CONFIRMED",
                             "X-MOZ-GENERATION:2",
                             "ACTION:EMAIL",
                             "CREATED:20240301T120000Z"};

struct PatchRow {
    const char* name;
    std::function<void(TvnEventParams&)> change;
    std::vector<const char*> present, absent;
    int endMinusStartMinutes;
};

TEST(IcalendarPatch, AnEditChangesOnlyWhatTheUserChanged) {
    qputenv("TZ", "Europe/Berlin");
    tzset();
    const TDateTime now = At(2024, 3, 15, 10, 0);
    const std::vector<PatchRow> rows = {
        {"notes_only",
         [](TvnEventParams& e) { e.Notes = "Bring slides"; },
         {"DESCRIPTION:Bring slides", "CATEGORIES:Business", "TRIGGER:-PT15M",
          "DTSTART;TZID=America/New_York:20240320T090000",
          "DTEND;TZID=America/New_York:20240320T100000"},
         {"SEQUENCE"},
         60},
        {"moved_a_day",
         [](TvnEventParams& e) { e.Date += 1; },
         {"DTSTART;TZID=Europe/Berlin:20240321T140000", "DTEND;TZID=Europe/Berlin:20240321T150000",
          "SEQUENCE:1", "CATEGORIES:Business"},
         {"20240320T090000"},
         60},
        {"category",
         [](TvnEventParams& e) { e.Category = ecMeeting; },
         {"CATEGORIES:Meeting", "DTEND;TZID=America/New_York:20240320T100000"},
         {"Business"},
         60},
        {"notice",
         [](TvnEventParams& e) { e.NotifyParam = 1, e.NotifyType = ntHours; },
         {"TRIGGER:-PT1H", "TRIGGER:-PT30M", "CATEGORIES:Business"},
         {"TRIGGER:-PT15M"},
         60},
    };
    for (const PatchRow& row : rows) {
        SCOPED_TRACE(row.name);
        const TvnIcsReadResult read = ReadICalendar(kThunderbird, now);
        ASSERT_EQ(read.Events.size(), 1u);
        TvnIcsEvent edited = read.Events.front();
        ASSERT_FALSE(edited.Original.isEmpty());
        row.change(edited.Event);
        const QByteArray text = PatchICalendar(edited.Original, edited, now, "Europe/Berlin");
        for (const char* kept : kKept)
            EXPECT_TRUE(text.contains(kept)) << kept;
        for (const char* line : row.present)
            EXPECT_TRUE(text.contains(line)) << line << "\n" << text.toStdString();
        for (const char* line : row.absent)
            EXPECT_FALSE(text.contains(line)) << line;
        // Read back, it is the event the user left.
        const TvnIcsReadResult back = ReadICalendar(text, now);
        ASSERT_EQ(back.Events.size(), 1u);
        const TvnEventParams& e = back.Events.front().Event;
        EXPECT_EQ(DateTimeText(e.Date), DateTimeText(edited.Event.Date));
        EXPECT_EQ(e.Notes, edited.Event.Notes);
        EXPECT_EQ(e.Category, edited.Event.Category);
        EXPECT_EQ(e.NotifyParam * NotifyUnitDays(e.NotifyType),
                  edited.Event.NotifyParam * NotifyUnitDays(edited.Event.NotifyType));
        // The file export writes the same, the zones each once.
        const QByteArray file = WriteICalendar({edited}, now, "Europe/Berlin");
        EXPECT_TRUE(file.contains("ATTENDEE;CN=Bob:mailto:bob@example.com"));
        EXPECT_EQ(file.count("TZID:Europe/Berlin\r\n"), 1);
    }
}

TEST(IcalendarPatch, ASeriesKeptAsSingleEventsIsWrittenAfresh) {
    qputenv("TZ", "Europe/Berlin");
    tzset();
    const QByteArray text = QByteArray(kThunderbird)
                                .replace("X-MOZ-GENERATION:2\r\n",
                                         "X-MOZ-GENERATION:2\r\nRRULE:FREQ=WEEKLY;COUNT=6\r\n");
    const TvnIcsReadResult read = ReadICalendar(text, At(2024, 3, 1));
    ASSERT_EQ(read.Events.size(), 6u) << "New York's weeks seen from Berlin";
    EXPECT_TRUE(
        PatchICalendar(text, read.Events.front(), At(2024, 3, 1), "Europe/Berlin").isEmpty());
}

}  // namespace
