// Time of the iCalendar reader on files that used to hold it for minutes: a
// rule of every frequency that can never match (February the 30th), one that
// matches once a day at one second, and a daily and an hourly series with
// 600,000 EXDATEs each (about 14 MB, under the 16 MB limit); and, beside
// them, a file of 1,000 ordinary series. Goal: each at most 2 s. Cases can
// be picked by name, so that a slow one can be run under `timeout`.
//
//     build/bench/bench_icalendar_rules [case...]
#include <QByteArray>
#include <QDate>
#include <QString>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <vector>

#include "reminder/Vnicalendar.h"
#include "support/BenchData.h"

namespace {

QByteArray Calendar(const QByteArray& event) {
    return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Bench//EN\r\nBEGIN:VEVENT\r\n"
           "UID:bench\r\nDTSTAMP:20240101T000000Z\r\nSUMMARY:bench\r\n"
           "DTSTART:20240101T000000\r\n" +
           event + "END:VEVENT\r\nEND:VCALENDAR\r\n";
}

QByteArray NeverMatching(const char* freq) {
    return Calendar(QByteArray("RRULE:FREQ=") + freq + ";BYMONTH=2;BYMONTHDAY=30\r\n");
}

// EXDATEs over the ten years ahead: half of them on occurrences of the rule,
// half beside them.
QByteArray ManyExdates(const char* freq, int count) {
    QByteArray lines = QByteArray("RRULE:FREQ=") + freq + "\r\n";
    lines.reserve(count * 24);
    const QDate first(2024, 1, 1);
    for (int i = 0; i < count; ++i) {
        const int hour = (i / 3650) % 12;
        lines += "EXDATE:" + first.addDays(i % 3650).toString(u"yyyyMMdd").toLatin1() + 'T' +
                 QByteArray::number(hour).rightJustified(2, '0') + (i % 2 ? "3000" : "0000") +
                 "\r\n";
    }
    return Calendar(lines);
}

// What other calendars write: series in shapes of their own, each with an
// exception, as a check that the bounds cost ordinary files nothing.
QByteArray OrdinarySeries(int count) {
    QByteArray events;
    const char* const rules[] = {"FREQ=WEEKLY;BYDAY=MO,WE,FR;COUNT=60", "FREQ=MONTHLY;BYDAY=-1FR",
                                 "FREQ=DAILY;INTERVAL=3;UNTIL=20260101T000000Z",
                                 "FREQ=YEARLY;BYMONTH=5;BYDAY=2SU"};
    for (int i = 0; i < count; ++i)
        events += "BEGIN:VEVENT\r\nUID:s" + QByteArray::number(i) +
                  "\r\nDTSTAMP:20240101T000000Z\r\nSUMMARY:series\r\n"
                  "DTSTART:20240401T090000\r\nRRULE:" +
                  rules[i % 4] + "\r\nEXDATE:20240405T090000\r\nEND:VEVENT\r\n";
    return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Bench//EN\r\n" + events +
           "END:VCALENDAR\r\n";
}

struct Case {
    const char* name;
    std::function<QByteArray()> text;
};

std::vector<Case> Cases() {
    std::vector<Case> cases;
    for (const char* freq :
         {"SECONDLY", "MINUTELY", "HOURLY", "DAILY", "WEEKLY", "MONTHLY", "YEARLY"}) {
        static std::vector<QByteArray> names;
        names.push_back("ics_never_matching_" + QByteArray(freq).toLower());
        cases.push_back({names.back().constData(), [freq] { return NeverMatching(freq); }});
    }
    cases.push_back({"ics_secondly_one_a_day", [] {
                         return Calendar("RRULE:FREQ=SECONDLY;BYHOUR=5;BYMINUTE=7;BYSECOND=9\r\n");
                     }});
    cases.push_back({"ics_ordinary_series_1000", [] { return OrdinarySeries(1000); }});
    cases.push_back({"ics_exdate_600000_daily", [] { return ManyExdates("DAILY", 600000); }});
    cases.push_back({"ics_exdate_600000_hourly", [] { return ManyExdates("HOURLY", 600000); }});
    return cases;
}

bool Wanted(const char* name, int argc, char** argv) {
    if (argc < 2) return true;
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], name) == 0) return true;
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    const TDateTime now = EncodeDate(2024, 3, 15) + 0.5;
    for (const Case& c : Cases()) {
        if (!Wanted(c.name, argc, argv)) continue;
        const QByteArray text = c.text();
        const auto start = std::chrono::steady_clock::now();
        const TvnIcsReadResult read = ReadICalendar(text, now);
        const double s =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::printf("# %s: %lld bytes, %zu events, %d expanded, %d skipped\n", c.name,
                    static_cast<long long>(text.size()), read.Events.size(), read.Expanded,
                    read.Skipped);
        PrintBench(c.name, s, "s");
        std::fflush(stdout);
    }
    return 0;
}
