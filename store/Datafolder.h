// The data folder, where the database and the settings live (the program's
// directory of the original platform), the names of its files, the database
// connection string, and the database delivered on a first start.
#pragma once

#include <QString>

// The folder by the rules, always ending with '/': "vornelHome" when not
// empty; else the executable's folder when it holds "DB.vdbv2" or
// "Settings.ini" (portable use); else "xdgDataHome"/vornel, or, when that is
// empty or relative, "home"/.local/share/vornel.
QString ResolveDataFolder(const QString& vornelHome, const QString& executableDir,
                          const QString& xdgDataHome, const QString& home);

// The data folder of this run: resolved from the environment on first use
// ($VORNEL_HOME, $XDG_DATA_HOME, $HOME), ending with '/'.
QString DataFolder();
// Overrides the data folder (tests); an empty text resolves it again.
void SetDataFolder(const QString& folder);

QString DatabaseFilePath();     // DataFolder() + "DB.vdbv2"
QString OldDatabaseFilePath();  // DataFolder() + "DB.vdb", the previous version's
QString SettingsFilePath();     // DataFolder() + "Settings.ini"

// "Provider=MSDataShape.1;Data Provider=Microsoft.Jet.OLEDB.4.0;Data Source=<path>"
QString DatabaseConnectionString(const QString& databasePath);

// Writes a new database file with the four empty tables and the hidden
// holiday row with ID 1, replacing any file of that name (atomically).
// Raises EDatabaseError.
void CreateDeliveredDatabase(const QString& path);

// First start: makes the data folder and, when it holds neither "DB.vdbv2"
// nor "Settings.ini", the delivered database. A folder with settings but no
// database is left alone (the start-up then offers a restore). Answers
// whether the database was created; raises EDatabaseError when it cannot be.
bool PrepareDataFolder();
