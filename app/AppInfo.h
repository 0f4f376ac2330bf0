// The program's name and version as shown to the user and used for its files.
#pragma once

#include <QString>

inline const QString ProgramName = QStringLiteral("Vornel");
inline const QString ProgramVersion = QStringLiteral("2.0");
