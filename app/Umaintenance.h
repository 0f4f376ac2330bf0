// The File menu's database maintenance commands: Backup, Restore and Pack
// database. Each closes the database, runs one file operation, reports the
// outcome in a message box and has the database reopened, whatever happened.
#pragma once

#include <QString>
#include <functional>

class QWidget;

// What the commands ask of the window that holds the database connection.
// Hooks left empty are skipped.
struct TvnMaintenanceHooks {
    // Closes the connection and its four tables.
    std::function<void()> CloseDatabase;
    // Opens it again as the start-up does, offering a restore when the file
    // cannot be opened.
    std::function<void()> OpenDatabase;
    // Brings the reopened data back on screen.
    std::function<void()> UpdateCalendar;
    // Hold the reminder off while the database is closed.
    std::function<void()> DisableReminder;
    std::function<void()> EnableReminder;
};

extern const QString BackupFilter;  // "Vornel databases v2.0 (*.vdbv2.bak)|*.vdbv2.bak"
extern const QString BackupSucceededText;
extern const QString RestoreSucceededText;
extern const QString PackSucceededText;
extern const QString MaintenanceFailedText;

// File > Backup: asks for a file (today's date as "yyyy-mm-dd" in the data
// folder proposed; ".vdbv2.bak" added to a name without extension) and
// writes a compacted copy of the database there. False when cancelled or
// failed.
bool BackupDatabaseCommand(QWidget* owner, const TvnMaintenanceHooks& hooks);
// File > Restore: asks for a backup file and replaces the database with it.
// A file that is not a database of this program leaves the database as it is.
bool RestoreDatabaseCommand(QWidget* owner, const TvnMaintenanceHooks& hooks);
// File > Pack database: compacts the database in place.
bool PackDatabaseCommand(QWidget* owner, const TvnMaintenanceHooks& hooks);
