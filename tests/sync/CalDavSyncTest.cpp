// Two program data folders bound to one calendar on a real Radicale server,
// kept in step through every kind of change, a third program's change, a
// conflict, a server that stops half-way and a program killed before upload.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QProcess>
#include <csignal>
#include <set>
#include <tuple>

#include "support/RadicaleServer.h"
#include "support/SyncFolder.h"

namespace {

const TDateTime kToday = EncodeDate(2026, 12, 9) + EncodeTime(10, 0, 0, 0);

struct Kind {
    const char* desc;
    int recurrence, nParam, notifyType, notifyParam;
};

// Every kind of event with every unit of notice.
const Kind kKinds[] = {
    {"once", rkOnce, 1, ntMinutes, 15},     {"hourly", rkHourly, 3, ntHours, 1},
    {"daily", rkDaily, 2, ntDays, 1},       {"weekly", rkWeekly, 1, ntMinutes, 30},
    {"monthly", rkMonthly, 2, ntHours, 2},  {"by weekday", rkMonthlyByWeekday, 1, ntDays, 2},
    {"annually", rkAnnually, 1, ntDays, 7},
};

TvnEventParams EventOf(const Kind& k, int day) {
    TvnEventParams e;
    e.Desc = QString::fromLatin1(k.desc);
    e.eType = k.recurrence == rkOnce ? etEvent : etRecurring;
    e.Recurrence = k.recurrence;
    e.nParam = k.nParam;
    e.Date = EncodeDate(2026, 12, 10 + day) + EncodeTime(9, 30, 0, 0);
    e.UseStartTime = true;
    e.Notify = true;
    e.NotifyType = k.notifyType;
    e.NotifyParam = k.notifyParam;
    e.Category = day % CategoryCount;
    return e;
}

TvnEventParams RichEvent() {
    TvnEventParams e = EventOf(kKinds[2], 3);
    e.Desc = QStringLiteral("course, ends in March");
    e.UseEndDate = true;
    e.EndDate = EncodeDate(2027, 3, 31);
    e.Notes = QStringLiteral("Room 4, café €");
    e.Action_File = QStringLiteral("/home/anna/course.pdf");
    e.Sound_File = QStringLiteral("/home/anna/bell.wav");
    return e;
}

// The same events as far as the server is concerned.
void ExpectInStep(SyncFolder& a, SyncFolder& b) {
    std::map<QString, QByteArray> ha, hb;
    for (const auto& [desc, e] : a.Events())
        ha[desc] = CalDavEventHash(e);
    for (const auto& [desc, e] : b.Events())
        hb[desc] = CalDavEventHash(e);
    EXPECT_EQ(ha, hb);
}

void ExpectDone(const TvnCalDavSyncReport& r) {
    EXPECT_FALSE(r.Failed()) << r.Error.toStdString();
}

QString HrefOf(SyncFolder& f, const QString& desc) {
    const int id = f.Events().at(desc).ID;
    for (const TvnCalDavItem& item : ado::TCalDavStore(f.db.connection.Handle()).Items(f.user))
        if (item.EventID == id) return item.Href;
    return {};
}

// What a phone that drops alarms makes of an event it renames.
QByteArray RenamedWithoutAlarms(const QByteArray& ics, const QByteArray& to) {
    QByteArray out;
    bool inAlarm = false;
    for (const QByteArray& line : ics.split('\n')) {
        if (line.startsWith("BEGIN:VALARM")) inAlarm = true;
        const bool drop = inAlarm || line.startsWith("X-VORNEL-NOTIFY");
        if (line.startsWith("END:VALARM")) inAlarm = false;
        if (drop) continue;
        out += (line.startsWith("SUMMARY:") ? "SUMMARY:" + to + "\r" : line) + '\n';
    }
    return out.trimmed() + "\r\n";
}

class CalDavSync : public ::testing::Test {
protected:
    ScopedClock clock{kToday};
    RadicaleServer server;
    QUrl calendar = server.CreateCalendar(QStringLiteral("anna"), QStringLiteral("calendar"));
};

TEST_F(CalDavSync, TwoFoldersStayInStepThroughEveryChange) {
    SyncFolder a(calendar), b(calendar);
    for (int i = 0; i < int(std::size(kKinds)); ++i)
        a.Add(EventOf(kKinds[i], i));
    a.Add(RichEvent());
    TvnCalDavSyncReport r = a.Sync();
    ExpectDone(r);
    EXPECT_EQ(r.Uploaded, 8);
    r = b.Sync();
    ExpectDone(r);
    EXPECT_EQ(r.Downloaded, 8);
    ExpectInStep(a, b);

    // Edits and a deletion travel back.
    auto eb = b.Events();
    eb["weekly"].Desc = QStringLiteral("weekly, moved");
    eb["weekly"].Date += 1;
    b.Edit(eb["weekly"]);
    b.Delete(eb["daily"]);
    ExpectDone(b.Sync());
    r = a.Sync();
    ExpectDone(r);
    EXPECT_EQ(r.Downloaded, 1);
    EXPECT_EQ(r.DeletedHere, 1);
    EXPECT_FALSE(a.Events().contains(QStringLiteral("daily")));
    ExpectInStep(a, b);

    // Nothing changed: nothing moves.
    r = a.Sync();
    ExpectDone(r);
    EXPECT_EQ(r.Uploaded + r.Downloaded + r.DeletedHere + r.DeletedThere, 0);

    // Changed on both sides: the newer change wins, the other is a copy.
    auto ea = a.Events();
    ea["once"].Notes = QStringLiteral("from a");
    clock.Advance(1.0 / 1440);
    a.Edit(ea["once"]);
    a.sync.NoteLocalChanges(0);
    eb = b.Events();
    eb["once"].Notes = QStringLiteral("from b");
    clock.Advance(1.0 / 1440);
    b.Edit(eb["once"]);
    b.sync.NoteLocalChanges(0);
    ExpectDone(a.Sync());
    r = b.Sync();
    ExpectDone(r);
    EXPECT_EQ(r.Conflicts, 1);
    ExpectDone(a.Sync());
    ExpectInStep(a, b);
    EXPECT_EQ(a.Events().at(QStringLiteral("once")).Notes, QStringLiteral("from b"));
    EXPECT_EQ(a.Events().at(QStringLiteral("once (conflict copy)")).Notes,
              QStringLiteral("from a"));
}

TEST_F(CalDavSync, AnotherProgramsChangesArriveWithoutDisturbingTheReminder) {
    SyncFolder a(calendar);
    a.Add(EventOf(kKinds[4], 1));
    ExpectDone(a.Sync());
    // Announced here: the tick stored it as completed.
    TvnEventParams announced = a.Events().at(QStringLiteral("monthly"));
    announced.Completed = true;
    announced.RunDate = 0;
    TvnUserEvents(a.cal, 0).Update(announced);

    const QUrl href = CalDavResolve(calendar, HrefOf(a, QStringLiteral("monthly")));
    const QByteArray renamed = RenamedWithoutAlarms(server.Get(href), "monthly\\, from the phone");
    EXPECT_EQ(server.Put(href, renamed) / 100, 2);
    const QByteArray fresh =
        "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Phone//EN\r\nBEGIN:VEVENT\r\n"
        "UID:phone-1\r\nDTSTAMP:20261209T090000Z\r\nDTSTART:20261224T180000\r\n"
        "SUMMARY:Christmas dinner\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";
    EXPECT_EQ(server.Put(CalDavResolve(calendar, QStringLiteral("phone-1.ics")), fresh) / 100, 2);

    const TvnCalDavSyncReport r = a.Sync();
    ExpectDone(r);
    EXPECT_EQ(r.Downloaded, 2);
    const auto events = a.Events();
    ASSERT_TRUE(events.contains(QStringLiteral("Christmas dinner")));
    const TvnEventParams& kept = events.at(QStringLiteral("monthly, from the phone"));
    EXPECT_TRUE(kept.Completed);  // not announced again
    EXPECT_TRUE(kept.Notify);     // the alarms were stripped, the notice stays
    EXPECT_EQ(kept.NotifyType, ntHours);
    EXPECT_EQ(kept.NotifyParam, 2);
}

// What a server names as the program or sound of an event was stored here,
// to be opened or played when the event was due.
TEST_F(CalDavSync, ActionAndSoundFilesStayAsTheLocalEventHadThem) {
    SyncFolder a(calendar);
    a.Add(RichEvent());
    ExpectDone(a.Sync());
    const QByteArray planted =
        "X-VORNEL-ACTION-FILE:/bin/sh\r\nBEGIN:VALARM\r\nACTION:AUDIO\r\nTRIGGER:-PT5M\r\n"
        "ATTACH:file:///etc/passwd\r\nEND:VALARM\r\nEND:VEVENT";
    const QUrl href = CalDavResolve(calendar, HrefOf(a, QStringLiteral("course, ends in March")));
    QByteArray moved;
    for (const QByteArray& line :
         RenamedWithoutAlarms(server.Get(href), "course\\, moved").split('\n'))
        if (!line.startsWith("X-VORNEL-ACTION-FILE")) moved += line + '\n';
    EXPECT_EQ(server.Put(href, moved.trimmed().replace("END:VEVENT", planted) + "\r\n") / 100, 2);
    const QByteArray fresh =
        "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Hostile//EN\r\nBEGIN:VEVENT\r\n"
        "UID:planted\r\nDTSTAMP:20261209T090000Z\r\nDTSTART:20261224T180000\r\n"
        "SUMMARY:Planted\r\n" +
        planted + "\r\nEND:VCALENDAR\r\n";
    EXPECT_EQ(server.Put(CalDavResolve(calendar, QStringLiteral("planted.ics")), fresh) / 100, 2);

    ExpectDone(a.Sync());
    const auto events = a.Events();
    ASSERT_TRUE(events.contains(QStringLiteral("course, moved")));
    EXPECT_EQ(events.at(QStringLiteral("course, moved")).Action_File, "/home/anna/course.pdf");
    EXPECT_EQ(events.at(QStringLiteral("course, moved")).Sound_File, "/home/anna/bell.wav");
    ASSERT_TRUE(events.contains(QStringLiteral("Planted")));
    EXPECT_EQ(events.at(QStringLiteral("Planted")).Action_File, "");
    EXPECT_EQ(events.at(QStringLiteral("Planted")).Sound_File, "");
}

TEST_F(CalDavSync, ServerStoppedHalfWayLosesNothing) {
    SyncFolder a(calendar), b(calendar);
    for (int i = 0; i < 120; ++i) {
        TvnEventParams e = EventOf(kKinds[i % std::size(kKinds)], i % 20);
        e.Desc += QString::number(i);
        a.Add(e);
    }
    ASSERT_TRUE(a.sync.Start(0));
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (ado::TCalDavStore(a.db.connection.Handle()).Items(0).size() >= 10) {
            watch.stop();
            server.Stop();
        }
    });
    watch.start(5);
    QEventLoop loop;
    QObject::connect(&a.sync, &TvnCalDavSync::Finished, &loop, &QEventLoop::quit);
    loop.exec();
    EXPECT_TRUE(a.last.Failed());
    const int uploadedBefore = a.last.Uploaded;
    EXPECT_LT(uploadedBefore, 120);
    EXPECT_EQ(a.Events().size(), 120u);
    EXPECT_TRUE(b.Sync().Failed());  // the server is away: nothing changes here
    EXPECT_TRUE(b.Events().empty());

    server.Start();
    TvnCalDavSyncReport r = a.Sync();
    ExpectDone(r);
    EXPECT_LE(uploadedBefore + r.Uploaded, 120);  // the one under way may have landed
    EXPECT_GE(uploadedBefore + r.Uploaded, 119);
    ExpectDone(b.Sync());
    EXPECT_EQ(b.Events().size(), 120u);
    ExpectInStep(a, b);
}

TEST_F(CalDavSync, ChangesOfAProgramKilledBeforeTheUploadAreSentNextTime) {
    SyncFolder a(calendar), b(calendar);
    a.Add(EventOf(kKinds[0], 1));
    a.Add(EventOf(kKinds[1], 2));
    ExpectDone(a.Sync());

    QProcess child;
    child.start(QCoreApplication::applicationDirPath() + QStringLiteral("/caldav_offline_change"),
                {a.db.path});
    ASSERT_TRUE(child.waitForReadyRead(30000)) << child.readAllStandardError().toStdString();
    EXPECT_EQ(child.readLine().trimmed(), "changed");
    ::kill(pid_t(child.processId()), SIGKILL);
    child.waitForFinished();

    a.db.events.Close();
    a.db.events.Open();
    a.cal.SetCurrUser(0);
    const TvnCalDavSyncReport r = a.Sync();
    ExpectDone(r);
    EXPECT_EQ(r.Uploaded, 2);  // the edit and the new event
    EXPECT_EQ(r.DeletedThere, 1);
    ExpectDone(b.Sync());
    EXPECT_EQ(b.Events().size(), 2u);
    EXPECT_TRUE(b.Events().contains(QStringLiteral("once, edited offline")));
    EXPECT_TRUE(b.Events().contains(QStringLiteral("added offline")));
}

}  // namespace

namespace {

const QByteArray kNewYork =
    "BEGIN:VTIMEZONE\r\nTZID:America/New_York\r\nBEGIN:DAYLIGHT\r\nTZOFFSETFROM:-0500\r\n"
    "TZOFFSETTO:-0400\r\nTZNAME:EDT\r\nDTSTART:19700308T020000\r\n"
    "RRULE:FREQ=YEARLY;BYDAY=2SU;BYMONTH=3\r\nEND:DAYLIGHT\r\nBEGIN:STANDARD\r\n"
    "TZOFFSETFROM:-0400\r\nTZOFFSETTO:-0500\r\nTZNAME:EST\r\nDTSTART:19701101T020000\r\n"
    "RRULE:FREQ=YEARLY;BYDAY=1SU;BYMONTH=11\r\nEND:STANDARD\r\nEND:VTIMEZONE\r\n";

QByteArray Wrapped(const QByteArray& components) {
    return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Mozilla.org/NONSGML Mozilla Calendar "
           "V1.1//EN\r\n" +
           kNewYork + components + "END:VCALENDAR\r\n";
}

// A meeting as Thunderbird keeps it, with what Vornel has no field for.
QByteArray Meeting(const QByteArray& summary, const QByteArray& modified) {
    return Wrapped("BEGIN:VEVENT\r\nUID:tb-1\r\nDTSTAMP:" + modified +
                   "\r\nLAST-MODIFIED:" + modified + "\r\nSUMMARY:" + summary +
                   "\r\nORGANIZER;CN=Ann:mailto:ann@example.com\r\n"
                   "ATTENDEE;CN=Bob:mailto:bob@example.com\r\nLOCATION:Room 4\r\n"
                   "CATEGORIES:Business\r\nDTSTART;TZID=America/New_York:20261215T090000\r\n"
                   "DTEND;TZID=America/New_York:20261215T100000\r\nBEGIN:VALARM\r\nACTION:EMAIL\r\n"
                   "TRIGGER:-PT30M\r\nATTENDEE:mailto:ann@example.com\r\nSUMMARY:Soon\r\n"
                   "DESCRIPTION:Planning\r\nEND:VALARM\r\nEND:VEVENT\r\n");
}

}  // namespace

// A calendar shared with Thunderbird: its task is left alone, its New York
// series comes at Berlin's true times, an edit here changes only what was
// edited, and of two edits the later one wins, however late the run.
TEST_F(CalDavSync, AnotherProgramsCalendarIsKeptWhole) {
    qputenv("TZ", "Europe/Berlin");
    tzset();
    const QUrl tb = CalDavResolve(calendar, QStringLiteral("tb-1.ics"));
    const QUrl task = CalDavResolve(calendar, QStringLiteral("task.ics"));
    ASSERT_EQ(server.Put(tb, Meeting("Planning", "20261201T120000Z")) / 100, 2);
    const QByteArray todo = Wrapped(
        "BEGIN:VTODO\r\nUID:task-1\r\nDTSTAMP:20261201T120000Z\r\nSUMMARY:Buy milk\r\n"
        "END:VTODO\r\n");
    ASSERT_EQ(server.Put(task, todo) / 100, 2);
    ASSERT_EQ(server.Put(CalDavResolve(calendar, QStringLiteral("ny.ics")),
                         Wrapped("BEGIN:VEVENT\r\nUID:ny-1\r\nDTSTAMP:20261201T120000Z\r\n"
                                 "SUMMARY:Call\r\nDTSTART;TZID=America/New_York:20270305T090000\r\n"
                                 "RRULE:FREQ=WEEKLY;COUNT=6\r\nEND:VEVENT\r\n")) /
                  100,
              2);
    SyncFolder a(calendar);
    ExpectDone(a.Sync());
    std::set<QString> calls, expected;
    for (const auto& [id, e] : TvnUserEvents(a.cal, 0).Load())
        if (e.Desc == "Call") calls.insert(DateTimeText(e.Date));
    // New York moves its clocks on 14 March, Berlin on 28 March.
    for (const auto& [month, day, hour] :
         {std::tuple{3, 5, 15}, {3, 12, 15}, {3, 19, 14}, {3, 26, 14}, {4, 2, 15}, {4, 9, 15}})
        expected.insert(DateTimeText(EncodeDate(2027, month, day) + EncodeTime(hour, 0, 0, 0)));
    EXPECT_EQ(calls, expected);

    TvnEventParams planning = a.Events().at(QStringLiteral("Planning"));
    planning.Notes = QStringLiteral("Bring slides");
    a.Edit(planning);
    a.sync.NoteLocalChange(planning.ID);
    ExpectDone(a.Sync());
    const QByteArray back = server.Get(tb);
    for (const char* kept :
         {"ORGANIZER", "ATTENDEE", "LOCATION:Room 4", "CATEGORIES:Business", "ACTION:EMAIL",
          "DTEND;TZID=America/New_York:20261215T100000", "DESCRIPTION:Bring slides"})
        EXPECT_TRUE(back.contains(kept)) << kept << "\n" << back.toStdString();
    EXPECT_TRUE(server.Get(task).contains("Buy milk"));

    // Edited here at 10:00, there at 10:01; the run comes at 10:05.
    planning.Desc = QStringLiteral("Planning (older edit)");
    a.Edit(planning);
    a.sync.NoteLocalChange(planning.ID);
    ASSERT_EQ(server.Put(tb, Meeting("Planning (newer edit)", "20261209T090100Z")) / 100, 2);
    clock.Advance(5.0 / 1440);
    const TvnCalDavSyncReport r = a.Sync();
    ExpectDone(r);
    EXPECT_EQ(r.Conflicts, 1);
    EXPECT_TRUE(a.Events().contains(QStringLiteral("Planning (newer edit)")));
    EXPECT_TRUE(a.Events().contains(QStringLiteral("Planning (older edit) (conflict copy)")));
}

// A series this calendar keeps as single events is read ten years ahead; as
// time moves on it is read again, so that it never runs out.
TEST_F(CalDavSync, ASeriesKeptAsSingleEventsGoesOnAsTimePasses) {
    qputenv("TZ", "Europe/Berlin");
    tzset();
    ASSERT_EQ(server.Put(CalDavResolve(calendar, QStringLiteral("ny.ics")),
                         Wrapped("BEGIN:VEVENT\r\nUID:ny-2\r\nDTSTAMP:20261201T120000Z\r\n"
                                 "SUMMARY:Call\r\nDTSTART;TZID=America/New_York:20261215T090000\r\n"
                                 "RRULE:FREQ=WEEKLY\r\nEND:VEVENT\r\n")) /
                  100,
              2);
    SyncFolder a(calendar);
    const auto latest = [&a] {
        TDateTime last = 0;
        for (const auto& [id, e] : TvnUserEvents(a.cal, 0).Load())
            last = std::max(last, e.Date);
        return last;
    };
    ExpectDone(a.Sync());
    EXPECT_GT(latest(), Now() + 9.9 * 365);
    ExpectDone(a.Sync());  // unchanged and far enough: nothing is read again
    clock.Advance(2 * 365);
    ExpectDone(a.Sync());
    EXPECT_GT(latest(), Now() + 9.9 * 365);
}
