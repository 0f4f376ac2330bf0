// The login start entry: an XDG autostart file "Vornel.desktop" that exists
// exactly when the user last confirmed that the program runs at start-up.
#pragma once

#include <QString>

// $XDG_CONFIG_HOME/autostart, or ~/.config/autostart when that is unset,
// empty or not absolute.
QString AutostartFolder();
QString AutostartFilePath();

// One argument of a desktop entry's Exec key, so that the desktop runs
// exactly this path whatever characters it holds: quoted when it holds a
// character the Desktop Entry rules reserve (a space, '$', ...), escaped.
QString DesktopExecArgument(const QString& argument);

// The running program's file as the entry should name it: absolute, with
// symbolic links resolved, so that a start through a link (or from a
// relative path) still names the installed program.
QString RunningProgramPath();

// The entry that starts the program at the absolute path `program`.
QString AutostartEntryText(const QString& program);

// Writes the entry for `program` (replacing what was there) when
// runAtStartup is true, else removes it. False when the folder or file could
// not be written or removed; there is no message, the setting stays as chosen.
bool UpdateAutostartEntry(bool runAtStartup, const QString& program);
