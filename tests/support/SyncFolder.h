// One program data folder bound to a CalDAV calendar: a fresh database with
// the calendar's data on it (no widget), the client and the engine, and a
// blocking run of one synchronisation for the tests.
#pragma once

#include <QEventLoop>
#include <QTimer>
#include <map>

#include "reminder/Vncalendardata.h"
#include "reminder/Vnuserevents.h"
#include "support/TestDatabase.h"
#include "support/TestSupport.h"
#include "sync/Vncaldavclient.h"
#include "sync/Vncaldavstore.h"
#include "sync/Vncaldavsync.h"
#include "sync/Vncaldavsync_p.h"

struct SyncFolder {
    explicit SyncFolder(const QUrl& calendar, int user = 0) : user(user) {
        for (int i = 0; i < TableCount; ++i)
            cal.SetDataSet(i, db.tables[i].get());
        cal.SetCurrUser(user);
        TvnCalDavAccount account;
        account.UserID = user;
        account.Server = calendar.toString();
        account.UserName = calendar.path().section(u'/', 1, 1);
        account.Calendar = calendar.toString();
        ado::TCalDavStore(db.connection.Handle()).SaveAccount(account);
        QObject::connect(&sync, &TvnCalDavSync::Finished,
                         [this](const TvnCalDavSyncReport& r) { last = r; });
    }

    // Runs one synchronisation to its end (at most a minute).
    TvnCalDavSyncReport Sync() {
        last = {};
        last.Error = QStringLiteral("did not start");
        if (!sync.Start(user)) return last;
        QEventLoop loop;
        QObject::connect(&sync, &TvnCalDavSync::Finished, &loop, &QEventLoop::quit);
        QTimer::singleShot(60000, &loop, &QEventLoop::quit);
        if (sync.Running()) loop.exec();
        return last;
    }

    // The user's events by description.
    std::map<QString, TvnEventParams> Events() {
        std::map<QString, TvnEventParams> out;
        for (const auto& [id, e] : TvnUserEvents(cal, user).Load())
            out[e.Desc] = e;
        return out;
    }

    // Adds, changes and deletes the way the event editor does.
    int Add(TvnEventParams e) {
        cal.AddEvent(&e);
        return e.ID;
    }
    void Edit(TvnEventParams e) { cal.EditEvent(&e); }
    void Delete(TvnEventParams e) { cal.DeleteEvent(&e); }

    int user;
    TestDatabase db;
    TvnCalendarData cal;
    TvnCalDavClient client;
    TvnCalDavSync sync{cal, client};
    TvnCalDavSyncReport last;
};
