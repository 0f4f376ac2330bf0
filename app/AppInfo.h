// The program's name and version as shown to the user and used for its files.
#pragma once

#include <QString>

inline const QString ProgramName = QStringLiteral("Vornel");
inline const QString ProgramVersion = QStringLiteral("2.0");

// The desktop entry's id (without ".desktop"), also the icon's name: the
// window, the tray icon and the notifications name it so that the desktop
// shows them as one program.
inline const QString DesktopFileId = QStringLiteral("org.vornel.Vornel");
