// The CalDAV synchronisation of the current user for the main window: the
// engine, its timing, the passwords, "Synchronize now" and the account
// dialog. The window creates it and routes its two menu commands here.
#pragma once

#include <QString>
#include <functional>
#include <memory>

class QWidget;
class TvnCalDavClient;
class TvnCalDavPasswords;
class TvnCalDavSync;
class TvnCalendarReminder;
class TvnSyncScheduler;
struct TvnSettings;
struct sqlite3;

class TvnSyncController {
public:
    using StatusSink = std::function<void(const QString&)>;
    // Works on the calendar's events table for the settings' current user;
    // both outlive the controller. showStatus is told each new status text
    // (empty: nothing to say); settingsChanged after the account dialog
    // changed them. owner parents the dialogs and the password prompt.
    TvnSyncController(TvnCalendarReminder& calendar, TvnSettings& settings, QWidget* owner,
                      StatusSink showStatus, std::function<void()> settingsChanged);
    // Stops the timing and drops the engine; must run before the calendar goes.
    ~TvnSyncController();
    TvnSyncController(const TvnSyncController&) = delete;
    TvnSyncController& operator=(const TvnSyncController&) = delete;

    // Once the program's start sequence is done: the first run and the periodic ones.
    void Start();
    // Before the tables go (closing, restoring, packing): nothing may be
    // half-stored, and the next run starts over.
    void Stop();
    // A change of the user's events (of this event, when one is named): the
    // change is stamped now and a synchronisation follows soon.
    void LocalChange(int eventId = 0);
    // File > "Synchronize now"; an unbound user is told how to bind.
    void SyncNow();
    // Users > "CalDAV account...": binds, changes or unbinds the current user.
    void EditAccount();
    // Drops the user's binding and its kept password (the user is being removed).
    void RemoveAccount(int user);

    TvnCalDavSync& Engine() const { return *engine_; }
    TvnSyncScheduler& Scheduler() const { return *scheduler_; }
    // The last synchronisation as the status bar shows it; empty before one.
    QString StatusText() const;

private:
    void Connect();
    sqlite3* Database() const;

    TvnCalendarReminder& calendar_;
    TvnSettings& settings_;
    QWidget* owner_;
    StatusSink showStatus_;
    std::function<void()> settingsChanged_;
    std::unique_ptr<TvnCalDavClient> client_;
    std::unique_ptr<TvnCalDavPasswords> passwords_;
    std::unique_ptr<TvnCalDavSync> engine_;  // uses the client and the calendar
    std::unique_ptr<TvnSyncScheduler> scheduler_;
};
