// Bad answers from a scripted server end the synchronisation with a message
// and leave the events and what the last synchronisation saw as they were.
#include <gtest/gtest.h>

#include "store/Vneventuids.h"
#include "support/FakeHttpServer.h"
#include "support/SyncFolder.h"

namespace {

using Answer = FakeHttpServer::Answer;
using Request = FakeHttpServer::Request;

const TDateTime kToday = EncodeDate(2026, 12, 9) + EncodeTime(10, 0, 0, 0);

QByteArray Multistatus(const QByteArray& responses) {
    return "<?xml version=\"1.0\"?><d:multistatus xmlns:d=\"DAV:\" "
           "xmlns:c=\"urn:ietf:params:xml:ns:caldav\">" +
           responses + "</d:multistatus>";
}

QByteArray Resource(const QByteArray& href, const QByteArray& etag, const QByteArray& data = {}) {
    QByteArray props = "<d:getetag>" + etag + "</d:getetag>";
    if (!data.isEmpty())
        props += "<c:calendar-data>" + QString::fromUtf8(data).toHtmlEscaped().toUtf8() +
                 "</c:calendar-data>";
    return "<d:response><d:href>" + href + "</d:href><d:propstat><d:prop>" + props +
           "</d:prop><d:status>HTTP/1.1 200 OK</d:status></d:propstat></d:response>";
}

// The collection: the event known here changed there, and one is new.
Answer Listing() {
    Answer a;
    a.Status = 207;
    a.Reason = "Multi-Status";
    a.Body = Multistatus(
        "<d:response><d:href>/anna/cal/</d:href><d:propstat><d:prop><d:resourcetype>"
        "<d:collection/><c:calendar/></d:resourcetype></d:prop><d:status>HTTP/1.1 200 OK"
        "</d:status></d:propstat></d:response>" +
        Resource("/anna/cal/known.ics", "\"2\"") + Resource("/anna/cal/new.ics", "\"1\""));
    return a;
}

QByteArray Event(const QByteArray& uid, const QByteArray& extra) {
    return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Fake//EN\r\nBEGIN:VEVENT\r\nUID:" + uid +
           "\r\nDTSTAMP:20261209T090000Z\r\nDTSTART:20261224T180000\r\nSUMMARY:From the "
           "server\r\n" +
           extra + "END:VEVENT\r\nEND:VCALENDAR\r\n";
}

Answer Fetched(const QByteArray& knownData) {
    Answer a = Listing();
    a.Body = Multistatus(Resource("/anna/cal/known.ics", "\"2\"", knownData) +
                         Resource("/anna/cal/new.ics", "\"1\"", Event("new", "")));
    return a;
}

Answer Status(int status, const QByteArray& reason) {
    Answer a;
    a.Status = status;
    a.Reason = reason;
    return a;
}

// An event here that the last synchronisation saw as known.ics, ETag "1".
TvnEventParams AddKnownEvent(SyncFolder& folder, ado::TCalDavStore& store) {
    TvnEventParams mine;
    mine.Desc = QStringLiteral("mine");
    mine.Date = EncodeDate(2026, 12, 20);
    folder.Add(mine);
    const TvnEventParams stored = folder.Events().at(QStringLiteral("mine"));
    store.SaveItem(0, {stored.ID, QStringLiteral("/anna/cal/known.ics"), "\"1\"",
                       QStringLiteral("known"), CalDavEventHash(stored), 0, false});
    return stored;
}

struct Row {
    const char* name;
    std::function<Answer(const Request&)> listing, fetch;
};

const Answer kList = Listing();

const Row kRows[] = {
    {"unauthorized", [](auto&) { return Status(401, "Unauthorized"); }, nullptr},
    {"forbidden", [](auto&) { return Status(403, "Forbidden"); }, nullptr},
    {"server_error", [](auto&) { return Status(500, "Internal Server Error"); }, nullptr},
    {"unavailable", [](auto&) { return Status(503, "Service Unavailable"); }, nullptr},
    {"redirect_loop",
     [](const Request& r) {
         Answer a = Status(301, "Moved Permanently");
         a.Headers.push_back({"Location", r.Path});
         return a;
     },
     nullptr},
    {"malformed_listing",
     [](auto&) {
         Answer a = Listing();
         a.Body.chop(40);
         return a;
     },
     nullptr},
    {"fifty_megabytes", nullptr,
     [](auto&) {
         Answer a = Listing();
         a.LazyBytes = 50 * 1024 * 1024;
         return a;
     }},
    {"cut_off", nullptr,
     [](auto&) {
         Answer a = Fetched(Event("known", ""));
         a.CloseMidway = true;
         return a;
     }},
    {"never_ends", nullptr,
     [](auto&) {
         Answer a = Status(207, "Multi-Status");
         a.Endless = true;
         return a;
     }},
};

class CalDavSyncFailures : public ::testing::TestWithParam<Row> {};

TEST_P(CalDavSyncFailures, EndWithAMessageAndChangeNothingHere) {
    const Row& row = GetParam();
    ScopedClock clock(kToday);
    FakeHttpServer server([&row](const Request& r) {
        if (r.Method == "PROPFIND") return row.listing ? row.listing(r) : kList;
        return row.fetch ? row.fetch(r) : Fetched(Event("known", ""));
    });
    SyncFolder folder(server.Url(QStringLiteral("/anna/cal/")));
    ado::TCalDavStore store(folder.db.connection.Handle());
    const TvnEventParams stored = AddKnownEvent(folder, store);
    folder.client.SetTimeoutMs(3000);
    folder.client.SetDeadlineMs(2000);

    const TvnCalDavSyncReport report = folder.Sync();
    EXPECT_FALSE(folder.sync.Running()) << "still running after a minute";
    EXPECT_TRUE(report.Failed());
    EXPECT_GT(report.Error.size(), 10) << report.Error.toStdString();
    const auto events = folder.Events();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(CalDavEventHash(events.at(QStringLiteral("mine"))), CalDavEventHash(stored));
    const auto items = store.Items(0);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].ETag, "\"1\"");
}

INSTANTIATE_TEST_SUITE_P(Answers, CalDavSyncFailures, ::testing::ValuesIn(kRows),
                         [](const auto& info) { return std::string(info.param.name); });

// A resource that cannot be read, or holds only a task, is left alone on both
// sides; the rest of the calendar still arrives, and what could not be read
// is named beside the outcome.
TEST(CalDavSyncLeftAlone, AResourceThatIsNoEventHoldsUpNothingElse) {
    const struct {
        const char* name;
        QByteArray known;
        bool named;
    } rows[] = {
        {"broken_rrule", Event("known", "RRULE:FREQ=SOMETIMES;INTERVAL=x\r\n"), true},
        {"not_icalendar", "this is no calendar", true},
        {"task_only",
         "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nBEGIN:VTODO\r\nUID:known\r\nSUMMARY:Milk\r\n"
         "END:VTODO\r\nEND:VCALENDAR\r\n",
         false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ScopedClock clock(kToday);
        FakeHttpServer server([&row](const Request& r) {
            return r.Method == "PROPFIND" ? kList : Fetched(row.known);
        });
        SyncFolder folder(server.Url(QStringLiteral("/anna/cal/")));
        ado::TCalDavStore store(folder.db.connection.Handle());
        const TvnEventParams stored = AddKnownEvent(folder, store);
        const TvnCalDavSyncReport report = folder.Sync();
        EXPECT_FALSE(report.Failed()) << report.Error.toStdString();
        EXPECT_EQ(report.Notice.contains("known.ics"), row.named) << report.Notice.toStdString();
        const auto events = folder.Events();
        EXPECT_EQ(events.size(), 2u) << "the new event arrives";
        EXPECT_EQ(CalDavEventHash(events.at(QStringLiteral("mine"))), CalDavEventHash(stored));
        const auto items = store.Items(0);
        EXPECT_TRUE(std::any_of(items.begin(), items.end(), [](const TvnCalDavItem& i) {
            return i.Href.endsWith("known.ics") && i.ETag == "\"1\"";
        }));
    }
}

// The same server answering well: the run completes, so the rows above fail
// for the reason they name.
Answer GoodAnswer(const Request& r) {
    if (r.Method == "PROPFIND") return Listing();
    if (r.Method == "REPORT") return Fetched(Event("known", ""));
    Answer a = Status(201, "Created");
    a.Headers.push_back({"ETag", "\"9\""});
    return a;
}

TEST(CalDavSyncFailuresControl, AGoodAnswerIsStored) {
    ScopedClock clock(kToday);
    FakeHttpServer server(GoodAnswer);
    SyncFolder folder(server.Url(QStringLiteral("/anna/cal/")));
    const TvnCalDavSyncReport report = folder.Sync();
    EXPECT_FALSE(report.Failed()) << report.Error.toStdString();
    EXPECT_EQ(report.Downloaded, 2);
}

// A run whose downloaded changes were rolled back counted them as done.
TEST(CalDavSyncFailuresControl, ARolledBackStoreReportsNothingDownloaded) {
    ScopedClock clock(kToday);
    // The second download is too large for what is left of the disk.
    const QByteArray large = "DESCRIPTION:" + QByteArray(64 * 1024, 'x') + "\r\n";
    FakeHttpServer server([&](const Request& r) {
        if (r.Method != "REPORT") return GoodAnswer(r);
        Answer a = Listing();
        a.Body = Multistatus(Resource("/anna/cal/known.ics", "\"2\"", Event("known", "")) +
                             Resource("/anna/cal/new.ics", "\"1\"", Event("new", large)));
        return a;
    });
    SyncFolder folder(server.Url(QStringLiteral("/anna/cal/")));
    ado::TEventUids uids(folder.db.connection.Handle());  // its table made while there is room
    ado::Exec(folder.db.connection.Handle(), "PRAGMA max_page_count = 1", QStringLiteral("test"));
    const TvnCalDavSyncReport report = folder.Sync();
    EXPECT_TRUE(report.Error.contains("could not be stored")) << report.Error.toStdString();
    EXPECT_EQ(report.Downloaded + report.DeletedHere + report.Conflicts + report.Uploaded, 0);
    EXPECT_TRUE(folder.Events().empty());
}

// The engine read a user's rows by switching the calendar's own events
// filter to them, and afterwards set the current user's plain filter, ending
// whatever temporary filter was in force.
TEST(CalDavSyncOwnView, TheCalendarsEventsFilterIsLeftAsItWas) {
    ScopedClock clock(kToday);
    FakeHttpServer server(GoodAnswer);
    SyncFolder folder(server.Url(QStringLiteral("/anna/cal/")));
    folder.cal.SetCurrUser(4);
    folder.cal.SetFilter(tsEvents, QStringLiteral("Category = 0"), true);
    const TvnCalDavSyncReport report = folder.Sync();
    EXPECT_FALSE(report.Failed()) << report.Error.toStdString();
    EXPECT_EQ(report.Downloaded, 2);
    EXPECT_EQ(folder.db.events.Filter(), "Category = 0 AND UserID = 4");
    EXPECT_TRUE(folder.cal.SpecialFilter);
    EXPECT_EQ(TvnUserEvents(folder.cal, folder.user).Load().size(), 2u);  // the bound user's
}

// A listing naming a resource on another server made the engine fetch it and
// later send the password there with its changes.
TEST(CalDavSyncHostile, AnHrefOnAnotherServerIsNeverFetchedWrittenOrDeleted) {
    ScopedClock clock(kToday);
    FakeHttpServer other([](const Request&) { return Status(204, "No Content"); }, nullptr,
                         QHostAddress(QStringLiteral("127.0.0.2")));
    ASSERT_GT(other.Url().port(), 0) << "no second loopback address";
    const QByteArray foreign = other.Url(QStringLiteral("/anna/cal/evil.ics")).toEncoded();
    std::vector<QByteArray> multigets;
    FakeHttpServer server([&](const Request& r) {
        Answer a = Listing();
        if (r.Method == "PROPFIND") {
            a.Body =
                Multistatus(Resource("/anna/cal/known.ics", "\"1\"") + Resource(foreign, "\"1\""));
        } else if (r.Method == "REPORT") {
            multigets.push_back(r.Body);
            a.Body = Multistatus(Resource("/anna/cal/known.ics", "\"1\"", Event("known", "")) +
                                 Resource(foreign, "\"1\"", Event("evil", "")));
        } else {
            a = GoodAnswer(r);
        }
        return a;
    });
    SyncFolder folder(server.Url(QStringLiteral("/anna/cal/")));
    TvnCalDavSyncReport report = folder.Sync();
    EXPECT_FALSE(report.Failed()) << report.Error.toStdString();
    EXPECT_TRUE(report.Notice.contains(QString::fromLatin1(foreign)))
        << report.Notice.toStdString();
    // Whatever happens here next goes to the bound server only.
    const std::map<int, TvnEventParams> stored = TvnUserEvents(folder.cal, folder.user).Load();
    for (auto [id, e] : stored) {
        e.Notes = QStringLiteral("edited");
        folder.Edit(e);
    }
    report = folder.Sync();
    EXPECT_FALSE(report.Failed()) << report.Error.toStdString();
    EXPECT_EQ(TvnUserEvents(folder.cal, folder.user).Load().size(), 1u);
    for (const QByteArray& body : multigets)
        EXPECT_FALSE(body.contains("evil")) << body.toStdString();
    for (const Request& r : other.Received())
        EXPECT_FALSE(r.Headers.contains("authorization")) << r.Method.toStdString();
}

}  // namespace
