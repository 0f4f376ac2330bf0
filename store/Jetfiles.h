// The Windows version's database files are Jet databases. They are read by
// the helper program vornel-jet-export (libmdb, in a process of its own, with
// time and memory limits); this unit starts it, stops it when it runs too
// long, and reads what it writes with a strict reader: any output that is
// not exactly the helper's form is refused, never half taken.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <chrono>
#include <vector>

#include "store/Adodb.h"

// A Jet file that cannot be read, for any reason (not a Jet file, damaged,
// a table missing, the helper crashed, was killed or ran out of time); the
// message says which, for the user.
class EJetError : public EDatabaseError {
public:
    using EDatabaseError::EDatabaseError;
};

enum class TJetType { Integer, Real, Date, Boolean, Text, Other };

struct TJetColumn {
    QString name;
    TJetType type;
};

// Values: null QVariant for an empty column; qlonglong for Integer and
// Boolean; double for Real and Date (the day count as stored); QString for
// Text and Other.
struct TJetTable {
    QString name;
    std::vector<TJetColumn> columns;
    std::vector<std::vector<QVariant>> rows;
};

// True when the file begins as a Jet (or later ACE) database does.
bool IsJetFile(const QString& path);

// Reads the helper's output; raises EJetError unless it is complete and
// well formed, with a row for exactly each column of its table.
std::vector<TJetTable> ParseJetExport(const QByteArray& output);

// The rows of the named tables of a Jet file, in the order asked. Raises
// EJetError (with a message naming the file) on any failure.
std::vector<TJetTable> ReadJetTables(const QString& path, const QStringList& tables);

// The helper: $VORNEL_JET_EXPORT when set, else beside the program, else in
// libexec/vornel relative to it, else where it was installed or built.
QString JetExportProgram();
// Overrides the helper (tests); an empty text looks it up again.
void SetJetExportProgram(const QString& program);
// How long the helper may run, wall clock, before it is killed; answers the
// limit it replaces.
std::chrono::milliseconds SetJetExportTimeout(std::chrono::milliseconds limit);
