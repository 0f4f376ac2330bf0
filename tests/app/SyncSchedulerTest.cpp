// The sync timing driven through one run with short delays: the start, a
// burst of edits, a request while a sync runs, the periodic one, and the
// status line after success and after failure.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>

#include "app/Vnsyncscheduler.h"
#include "support/TestSupport.h"

namespace {

// Lets the timers run for ms.
void Spin(int ms) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

}  // namespace

TEST(SyncScheduler, OneRoadThroughTheDay) {
    TvnSyncScheduler scheduler;
    int starts = 0;
    bool refuse = false;
    scheduler.SetStart([&] { return refuse ? false : (++starts, true); });
    QStringList shown;
    QObject::connect(&scheduler, &TvnSyncScheduler::StatusChanged,
                     [&](const QString& text) { shown << text; });
    scheduler.SetDelays(40, 80, 60 * 1000);
    const QDateTime at(QDate(2026, 12, 9), QTime(14, 5));
    EXPECT_EQ(scheduler.StatusText(), "");

    scheduler.ProgramStarted();
    EXPECT_EQ(starts, 0) << "the start waits";
    Spin(150);
    EXPECT_EQ(starts, 1);
    scheduler.SyncFinished(true, {}, at);
    EXPECT_EQ(scheduler.StatusText(), "Last synchronization: 14:05");

    for (int i = 0; i < 3; ++i) {
        scheduler.LocalChange();
        Spin(20);
    }
    EXPECT_EQ(starts, 1) << "still within the quiet time";
    Spin(250);
    EXPECT_EQ(starts, 2) << "three edits, one sync";
    ASSERT_TRUE(scheduler.Running());

    scheduler.SyncNow();
    EXPECT_EQ(starts, 2) << "one runs already";
    scheduler.SyncFinished(false, "The server did not answer.", at.addSecs(60));
    EXPECT_EQ(starts, 3) << "the waiting request runs after it";
    EXPECT_EQ(scheduler.StatusText(),
              "Synchronization failed at 14:06: The server did not answer.");
    // Events left alone on another server were never mentioned to the user.
    scheduler.SyncFinished(true, {}, at.addSecs(120), "The server listed 1 event(s) elsewhere");
    EXPECT_EQ(scheduler.StatusText(),
              "Last synchronization: 14:07. The server listed 1 event(s) elsewhere");

    refuse = true;  // e.g. the user is not bound
    scheduler.SyncNow();
    refuse = false;
    scheduler.SetIntervalMinutes(0);  // clamped to one minute
    scheduler.SetDelays(40, 80, 100);
    Spin(250);
    EXPECT_EQ(starts, 4) << "the periodic sync, once: it is still running";
    scheduler.SyncAborted();  // dropped while the database was closed
    scheduler.SyncNow();
    EXPECT_EQ(starts, 5) << "an aborted one does not hold up the next";
    scheduler.Stop();
    const int stopped = starts;
    scheduler.SyncFinished(true, {}, at);
    scheduler.LocalChange();
    Spin(250);
    EXPECT_EQ(starts, stopped) << "nothing starts once stopped";
    EXPECT_EQ(shown.first(), "Last synchronization: 14:05");
    EXPECT_EQ(shown.size(), 4);
}
