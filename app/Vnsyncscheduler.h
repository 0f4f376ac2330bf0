// When to synchronise the current user's CalDAV calendar: shortly after the
// program starts, a few seconds after the last local change, every N minutes,
// and at once on "Synchronize now". It never runs two at a time: a request
// that comes while one runs is kept and runs once after it.
//
// Wiring (the main window owns one):
//   scheduler.SetStart([&] { return sync.Start(currentUserId); });
//   scheduler.SetIntervalMinutes(settings.ProgOptions.SyncMinutes);
//   connect(&sync, &TvnCalDavSync::Finished, [&](const TvnCalDavSyncReport& r) {
//       scheduler.SyncFinished(!r.Failed(), r.Error, r.Ended); });
//   connect(&scheduler, &TvnSyncScheduler::StatusChanged, statusBar, ...);
//   scheduler.ProgramStarted();            // once the window is up
//   scheduler.LocalChange();               // after every stored event edit
//   scheduler.SyncNow();                   // File > "Synchronize now"
//   scheduler.Stop();                      // when the program closes
#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>

class TvnSyncScheduler : public QObject {
    Q_OBJECT

public:
    explicit TvnSyncScheduler(QObject* parent = nullptr);

    // Starts one synchronisation; false when it could not start (no binding,
    // or one under way). A refused request is tried once more after the next
    // SyncFinished.
    void SetStart(std::function<bool()> start);
    // 1..1440; others are clamped. Default 15.
    void SetIntervalMinutes(int minutes);
    // Tests shorten these: the wait after the start (2 s), the quiet time
    // after a local change (5 s), and the length of a minute.
    void SetDelays(int startupMs, int quietMs, int minuteMs = 60 * 1000);

    void ProgramStarted();  // one sync after the startup wait, then the periodic ones
    void LocalChange();     // debounced: one sync after the quiet time
    void SyncNow();         // at once
    // The engine reports the end of a sync it started.
    // notice: what the run left alone (events on another server), said after
    // the outcome; empty when nothing.
    void SyncFinished(bool ok, const QString& message, const QDateTime& at,
                      const QString& notice = {});
    // The one under way was dropped without a report (the database closed):
    // the next request may start; the status stays as it was.
    void SyncAborted();
    // Stops every timer; nothing starts after this (the program is closing).
    void Stop();

    bool Running() const { return running_; }
    // "Last synchronization: 14:05", "Synchronization failed at 14:05: why",
    // or empty before the first one ended.
    QString StatusText() const { return status_; }

signals:
    void StatusChanged(const QString& text);

private:
    void Request();
    void RestartPeriodic();

    std::function<bool()> start_;
    QTimer startup_, quiet_, periodic_;
    int minutes_ = 15;
    int minuteMs_ = 60 * 1000;
    bool running_ = false;
    bool pending_ = false;
    bool stopped_ = false;
    QString status_;
};
