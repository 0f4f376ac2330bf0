#include "app/Vnmaintenancecontroller.h"

#include "reminder/Vncalendarreminder.h"

TvnMaintenanceController::TvnMaintenanceController(TvnCalendarReminder& calendar,
                                                   std::function<void()> closeDatabase,
                                                   std::function<void()> openDatabase,
                                                   QWidget* owner)
    : owner_(owner) {
    hooks_.CloseDatabase = std::move(closeDatabase);
    hooks_.OpenDatabase = std::move(openDatabase);
    hooks_.UpdateCalendar = [&calendar] { calendar.UpdateCalendar(); };
    hooks_.DisableReminder = [&calendar] { calendar.ReminderDisabled(); };
    hooks_.EnableReminder = [&calendar] { calendar.ReminderEnabled(); };
}

bool TvnMaintenanceController::Backup() {
    return BackupDatabaseCommand(owner_, hooks_);
}

bool TvnMaintenanceController::Restore() {
    return RestoreDatabaseCommand(owner_, hooks_);
}

bool TvnMaintenanceController::Pack() {
    return PackDatabaseCommand(owner_, hooks_);
}
