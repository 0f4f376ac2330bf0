#include "app/Vnsyncscheduler.h"

#include <algorithm>

TvnSyncScheduler::TvnSyncScheduler(QObject* parent) : QObject(parent) {
    startup_.setSingleShot(true);
    startup_.setInterval(2000);
    quiet_.setSingleShot(true);
    quiet_.setInterval(5000);
    for (QTimer* timer : {&startup_, &quiet_, &periodic_})
        connect(timer, &QTimer::timeout, this, &TvnSyncScheduler::Request);
}

void TvnSyncScheduler::SetStart(std::function<bool()> start) {
    start_ = std::move(start);
}

void TvnSyncScheduler::SetIntervalMinutes(int minutes) {
    minutes_ = std::clamp(minutes, 1, 24 * 60);
    if (periodic_.isActive()) RestartPeriodic();
}

void TvnSyncScheduler::SetDelays(int startupMs, int quietMs, int minuteMs) {
    startup_.setInterval(std::max(0, startupMs));
    quiet_.setInterval(std::max(0, quietMs));
    minuteMs_ = std::max(1, minuteMs);
    if (periodic_.isActive()) RestartPeriodic();
}

void TvnSyncScheduler::ProgramStarted() {
    if (stopped_) return;
    startup_.start();
    RestartPeriodic();
}

void TvnSyncScheduler::LocalChange() {
    if (!stopped_) quiet_.start();  // each change pushes the sync back
}

void TvnSyncScheduler::SyncNow() {
    quiet_.stop();  // the change it waited for goes with this one
    Request();
}

void TvnSyncScheduler::Request() {
    if (stopped_) return;
    if (running_ || !start_ || !start_()) {
        pending_ = true;
        return;
    }
    running_ = true;
    pending_ = false;
}

void TvnSyncScheduler::SyncFinished(bool ok, const QString& message, const QDateTime& at,
                                    const QString& notice) {
    running_ = false;
    const QString time = at.toString(QStringLiteral("HH:mm"));
    status_ = ok ? QStringLiteral("Last synchronization: %1").arg(time)
                 : QStringLiteral("Synchronization failed at %1: %2").arg(time, message);
    if (!notice.isEmpty()) status_ += QStringLiteral(". ") + notice;
    emit StatusChanged(status_);
    if (periodic_.isActive()) RestartPeriodic();  // the next one N minutes from now
    if (pending_) {
        pending_ = false;
        Request();
        pending_ = false;  // a refused retry waits for the next request
    }
}

void TvnSyncScheduler::SyncAborted() {
    running_ = false;
}

void TvnSyncScheduler::Stop() {
    stopped_ = true;
    for (QTimer* timer : {&startup_, &quiet_, &periodic_})
        timer->stop();
}

void TvnSyncScheduler::RestartPeriodic() {
    periodic_.start(minutes_ * minuteMs_);
}
