// File > Backup, Restore and Pack database for the main window: each runs
// with the window's database closed and the reminder held off, and the data
// brought back on screen after it.
#pragma once

#include <functional>

#include "app/Umaintenance.h"

class QWidget;
class TvnCalendarReminder;

class TvnMaintenanceController {
public:
    // closeDatabase unbinds the tables and closes the connection;
    // openDatabase opens it as the start-up does (offering a restore). The
    // calendar outlives the controller; owner parents the dialogs.
    TvnMaintenanceController(TvnCalendarReminder& calendar, std::function<void()> closeDatabase,
                             std::function<void()> openDatabase, QWidget* owner);

    // False when cancelled or failed.
    bool Backup();
    bool Restore();
    bool Pack();

private:
    TvnMaintenanceHooks hooks_;
    QWidget* owner_;
};
