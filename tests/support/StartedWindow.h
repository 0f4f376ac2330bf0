// A started main window on the delivered database, in a data folder of the
// test's own, with the clock standing still at the given moment.
#pragma once

#include <QAction>
#include <QTemporaryDir>
#include <memory>

#include "app/Uformmain.h"
#include "reminder/Vncalendarreminder.h"
#include "store/Datafolder.h"
#include "support/RecordingActions.h"
#include "support/TestSupport.h"

struct TStartedWindow {
    explicit TStartedWindow(TDateTime now = At(2026, 12, 9, 15, 0)) : clock(now) {
        SetDataFolder(dir.path() + '/');
        CreateDeliveredDatabase(DatabaseFilePath());
        window = std::make_unique<TFormMainVNCR>(shell, player);
        started = window->FormCreate();
    }
    ~TStartedWindow() {
        window.reset();
        SetDataFolder({});
    }
    TStartedWindow(const TStartedWindow&) = delete;
    TStartedWindow& operator=(const TStartedWindow&) = delete;

    TvnCalendarReminder& Cal() const { return *window->Calendar(); }
    void Trigger(const char* action) const { window->findChild<QAction*>(action)->trigger(); }

    ScopedClock clock;
    QTemporaryDir dir;
    RecordingShell shell;
    RecordingSoundPlayer player;
    std::unique_ptr<TFormMainVNCR> window;
    bool started = false;
};
