// Synchronisation against a Radicale server on this machine, 5,000 events:
// a second data folder joining the calendar (its first synchronisation
// downloads them all), one with nothing changed, a folder whose events are
// on the server already binding to it, and uploads of new events beside the
// same number of plain PUTs (Radicale checks every new UID against the whole
// collection, so each new resource costs the server time that grows with it).
// Then the peak memory, each case in a process of its own: a first
// synchronisation downloading 6,000 resources of 70 KB from a scripted server
// (in yet another process, so that its buffers are not counted), and the
// reading of a 16 MB multistatus listing.
#include <sys/resource.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <cstdio>

#include "reminder/Vnicalendar.h"
#include "store/Vneventuids.h"
#include "support/BenchData.h"
#include "support/FakeHttpServer.h"
#include "support/RadicaleServer.h"
#include "support/SyncFolder.h"
#include "sync/Vncaldavxml.h"

namespace {

constexpr int kEvents = 5000;
constexpr int kUploads = 100;

double TimedSync(SyncFolder& folder, TvnCalDavSyncReport* report = nullptr) {
    QElapsedTimer timer;
    timer.start();
    const TvnCalDavSyncReport r = folder.Sync();
    const double seconds = timer.nsecsElapsed() / 1e9;
    if (r.Failed()) std::fprintf(stderr, "sync failed: %s\n", qPrintable(r.Error));
    if (report) *report = r;
    return seconds;
}

TvnEventParams BenchEvent(int i) {
    TvnEventParams e;
    e.Desc = QStringLiteral("Event %1").arg(i);
    e.Date = EncodeDate(2027, 1, 1) + i % 365 + (i % 24) / 24.0;
    e.UseStartTime = true;
    e.Recurrence = i % RecurrenceCount;
    e.eType = e.Recurrence == rkOnce ? etEvent : etRecurring;
    e.Notify = i % 2 == 0;
    e.NotifyType = i % NotifyTypeCount;
    e.NotifyParam = 1 + i % 5;
    e.Notes = QStringLiteral("Notes of event %1").arg(i);
    return e;
}

// The folder's events with their UIDs, as one calendar file.
QByteArray AddEvents(SyncFolder& folder, int from, int count) {
    std::vector<TvnIcsEvent> items;
    folder.db.connection.BeginTrans();
    ado::TEventUids uids(folder.db.connection.Handle());
    for (int i = from; i < from + count; ++i) {
        TvnIcsEvent item{BenchEvent(i), QStringLiteral("bench-%1@vornel").arg(i)};
        item.Event.ID = folder.Add(item.Event);
        uids.Store(item.Event.ID, item.Uid);
        items.push_back(item);
    }
    folder.db.connection.CommitTrans();
    return WriteICalendar(items, Now(), SystemIcsTimeZone());
}

double PlainPuts(RadicaleServer& server, const QUrl& calendar, int from, int count) {
    QElapsedTimer timer;
    timer.start();
    for (int i = from; i < from + count; ++i) {
        const TvnIcsEvent item{BenchEvent(i), QStringLiteral("plain-%1").arg(i)};
        server.Put(CalDavResolve(calendar, item.Uid + QStringLiteral(".ics")),
                   WriteICalendar({item}, Now(), SystemIcsTimeZone()));
    }
    return timer.nsecsElapsed() / 1e9;
}

constexpr int kBigResources = 6000;
constexpr int kBigResourceBytes = 70 * 1024;

double PeakRssMb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;  // kilobytes on Linux
}

// One resource of about 70 KB: a small event carrying an attachment the
// program does not keep (the bulk of large resources on real servers).
QByteArray BigResource(int i) {
    QByteArray attach = "ATTACH;FMTTYPE=application/octet-stream;ENCODING=BASE64;VALUE=BINARY:";
    const QByteArray payload = QByteArray(kBigResourceBytes - 400, char('a' + i % 26)).toBase64();
    attach += payload.left(kBigResourceBytes - 600);
    QByteArray folded;
    for (qsizetype at = 0; at < attach.size(); at += 74)
        folded += (at ? " " : "") + attach.mid(at, 74) + "\r\n";
    return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//bench//EN\r\nBEGIN:VEVENT\r\nUID:big-" +
           QByteArray::number(i) +
           "\r\nDTSTAMP:20270101T000000Z\r\nDTSTART:20270105T100000Z\r\nSUMMARY:Event " +
           QByteArray::number(i) + "\r\nDESCRIPTION:Notes of event " + QByteArray::number(i) +
           "\r\n" + folded + "END:VEVENT\r\nEND:VCALENDAR\r\n";
}

QByteArray Response(const QByteArray& href, const QByteArray& data) {
    QByteArray props = "<d:getetag>\"1\"</d:getetag>";
    if (!data.isEmpty()) props += "<c:calendar-data>" + data + "</c:calendar-data>";
    return "<d:response><d:href>" + href + "</d:href><d:propstat><d:prop>" + props +
           "</d:prop><d:status>HTTP/1.1 200 OK</d:status></d:propstat></d:response>";
}

FakeHttpServer::Answer MultiStatus(const QByteArray& responses) {
    FakeHttpServer::Answer a;
    a.Status = 207;
    a.Reason = "Multi-Status";
    a.Body =
        "<?xml version=\"1.0\"?><d:multistatus xmlns:d=\"DAV:\" "
        "xmlns:c=\"urn:ietf:params:xml:ns:caldav\">" +
        responses + "</d:multistatus>";
    return a;
}

// The scripted calendar of 6,000 big resources; prints its address, serves
// until killed.
int ServeBigCalendar(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    FakeHttpServer server([](const FakeHttpServer::Request& r) {
        QByteArray responses;
        if (r.Method == "PROPFIND") {
            for (int i = 0; i < kBigResources; ++i)
                responses += Response("/bench/cal/e" + QByteArray::number(i) + ".ics", {});
            return MultiStatus(responses);
        }
        static const QRegularExpression href(QStringLiteral("/bench/cal/e(\\d+)\\.ics"));
        for (const auto& m : href.globalMatch(QString::fromUtf8(r.Body)))
            responses += Response(m.captured(0).toUtf8(), BigResource(m.captured(1).toInt()));
        return MultiStatus(responses);
    });
    std::printf("%s\n", server.Url(QStringLiteral("/bench/cal/")).toEncoded().constData());
    std::fflush(stdout);
    return app.exec();
}

int BigDownloadPeak(int argc, char** argv) {
    QApplication app(argc, argv);
    QProcess server;
    server.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--serve")});
    if (!server.waitForReadyRead(30000)) return 1;
    SyncFolder folder(QUrl(QString::fromUtf8(server.readLine().trimmed())));
    folder.client.SetTimeoutMs(600000);
    QElapsedTimer timer;
    timer.start();
    QEventLoop loop;
    QObject::connect(&folder.sync, &TvnCalDavSync::Finished, &loop, &QEventLoop::quit);
    if (!folder.sync.Start(folder.user)) return 1;
    loop.exec();
    const double seconds = timer.nsecsElapsed() / 1e9;
    server.kill();
    server.waitForFinished();
    if (folder.last.Failed())
        std::fprintf(stderr, "sync failed: %s\n", qPrintable(folder.last.Error));
    std::printf("# downloaded %d in %.1f s\n", folder.last.Downloaded, seconds);
    PrintBench("caldav_download_6000x70KB_peak_rss", PeakRssMb(), "MB");
    return folder.last.Failed() ? 1 : 0;
}

// A listing as a server writes it for a collection of 100,000 resources and more.
int ListingParsePeak() {
    const QByteArray head =
        "<?xml version=\"1.0\"?>\n<multistatus xmlns=\"DAV:\" "
        "xmlns:C=\"urn:ietf:params:xml:ns:caldav\">";
    QByteArray body;
    body.reserve(20 * 1024 * 1024);
    body += head;
    for (int i = 0; body.size() < 16 * 1000 * 1000; ++i)
        body += "<response><href>/bench/cal/" + QByteArray::number(i) +
                ".ics</href><propstat><prop><getetag>\"" + QByteArray::number(i * 7919) +
                "\"</getetag><resourcetype/></prop><status>HTTP/1.1 200 OK</status>"
                "</propstat></response>";
    body += "</multistatus>\n";
    const double before = PeakRssMb();
    TvnDavMultistatus read;
    const bool ok = DavParseMultistatus(body, &read);
    const double extra = PeakRssMb() - before;
    std::printf("# %zu responses, %s; %.1f times the body's %.1f MB\n", read.Items.size(),
                ok ? "read" : "NOT READ", extra / (body.size() / 1048576.0),
                body.size() / 1048576.0);
    PrintBench("caldav_multistatus_16MB_listing_parse_peak_extra", extra, "MB");
    return ok ? 0 : 1;
}

// Runs the memory case in a process of its own and passes its output on.
void MemoryCase(const QString& name) {
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), {name});
    child.waitForFinished(-1);
    std::printf("%s", child.readAllStandardOutput().constData());
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const QByteArray mode = argc > 1 ? QByteArray(argv[1]) : QByteArray();
    if (mode == "--serve") return ServeBigCalendar(argc, argv);
    if (mode == "--download-peak") return BigDownloadPeak(argc, argv);
    if (mode == "--parse-peak") return ListingParsePeak();
    QApplication app(argc, argv);
    MemoryCase(QStringLiteral("--parse-peak"));
    MemoryCase(QStringLiteral("--download-peak"));
    if (mode == "--memory") return 0;
    RadicaleServer server;
    const QUrl calendar = server.CreateCalendar(QStringLiteral("bench"), QStringLiteral("cal"));
    SyncFolder a(calendar), b(calendar);
    // The calendar is filled in one request of Radicale's own, as its
    // import does; the folder holds the same events under the same UIDs.
    if (server.Put(calendar, AddEvents(a, 0, kEvents)) / 100 != 2) return 1;

    TvnCalDavSyncReport r;
    PrintBench("caldav_first_sync_download_5000", TimedSync(b, &r), "s");
    std::printf("# downloaded %d\n", r.Downloaded);
    std::vector<double> idle;
    for (int i = 0; i < 5; ++i)
        idle.push_back(TimedSync(b));
    PrintBench("caldav_sync_nothing_changed_5000", Median(idle), "s");
    PrintBench("caldav_first_sync_events_already_there_5000", TimedSync(a, &r), "s");
    std::printf("# uploaded %d (the same events are not sent again)\n", r.Uploaded);

    AddEvents(a, kEvents, kUploads);
    const double ours = TimedSync(a, &r);
    std::printf("# uploaded %d\n", r.Uploaded);
    const double plain = PlainPuts(server, calendar, 2 * kEvents, kUploads);
    PrintBench("caldav_upload_100_new_beside_5000", ours, "s");
    PrintBench("plain_http_put_100_new_beside_5100", plain, "s");
    return 0;
}
