// Synchronisation against a Radicale server on this machine, 5,000 events:
// a second data folder joining the calendar (its first synchronisation
// downloads them all), one with nothing changed, a folder whose events are
// on the server already binding to it, and uploads of new events beside the
// same number of plain PUTs (Radicale checks every new UID against the whole
// collection, so each new resource costs the server time that grows with it).
#include <QApplication>
#include <QElapsedTimer>
#include <cstdio>

#include "reminder/Vnicalendar.h"
#include "store/Vneventuids.h"
#include "support/BenchData.h"
#include "support/RadicaleServer.h"
#include "support/SyncFolder.h"

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

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
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
