// Where the program's HTML manual lies: installed with the program, in the
// desktop's data folders, or in the source tree when the program runs from
// its build folder.
#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

// The places to look for the manual's "index.html", best first, for a program
// whose file lies in programDir: the copy installed beside it (the prefix it
// was installed to, wherever that is now), the configured install place, the
// source tree, then every data folder of the desktop.
QStringList ManualCandidates(const QString& programDir);

// The first of `candidates` that is an existing file; empty when none is.
QString FirstExistingFile(const QStringList& candidates);

// The manual of a program in programDir; empty when it cannot be found.
QString FindManual(const QString& programDir);

// The program's home page: there is no web site, so it is the start page of
// the manual found for programDir, as a file address; empty without a manual.
QUrl ManualStartPage(const QString& programDir);
