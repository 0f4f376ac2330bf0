// Synchronisation against a Radicale server on this machine: the first
// synchronisation of 5,000 events (upload from one data folder, download into
// a second), and one with nothing changed.
#include <QApplication>
#include <QElapsedTimer>
#include <cstdio>

#include "support/BenchData.h"
#include "support/RadicaleServer.h"
#include "support/SyncFolder.h"

namespace {

constexpr int kEvents = 5000;

double TimedSync(SyncFolder& folder, TvnCalDavSyncReport* report = nullptr) {
    QElapsedTimer timer;
    timer.start();
    const TvnCalDavSyncReport r = folder.Sync();
    const double seconds = timer.nsecsElapsed() / 1e9;
    if (r.Failed()) std::fprintf(stderr, "sync failed: %s\n", qPrintable(r.Error));
    if (report) *report = r;
    return seconds;
}

void AddEvents(SyncFolder& folder) {
    const TDateTime start = EncodeDate(2027, 1, 1);
    folder.db.connection.BeginTrans();
    for (int i = 0; i < kEvents; ++i) {
        TvnEventParams e;
        e.Desc = QStringLiteral("Event %1").arg(i);
        e.Date = start + i % 365 + (i % 24) / 24.0;
        e.UseStartTime = true;
        e.Recurrence = i % RecurrenceCount;
        e.eType = e.Recurrence == rkOnce ? etEvent : etRecurring;
        e.Notify = i % 2 == 0;
        e.NotifyType = i % NotifyTypeCount;
        e.NotifyParam = 1 + i % 5;
        e.Notes = QStringLiteral("Notes of event %1").arg(i);
        folder.Add(e);
    }
    folder.db.connection.CommitTrans();
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    RadicaleServer server;
    const QUrl calendar = server.CreateCalendar(QStringLiteral("bench"), QStringLiteral("cal"));
    SyncFolder a(calendar), b(calendar);
    AddEvents(a);
    TvnCalDavSyncReport r;
    PrintBench("caldav_first_sync_upload_5000", TimedSync(a, &r), "s");
    std::printf("# uploaded %d\n", r.Uploaded);
    PrintBench("caldav_first_sync_download_5000", TimedSync(b, &r), "s");
    std::printf("# downloaded %d\n", r.Downloaded);
    std::vector<double> idle;
    for (int i = 0; i < 5; ++i)
        idle.push_back(TimedSync(a));
    PrintBench("caldav_sync_nothing_changed_5000", Median(idle), "s");
    return 0;
}
