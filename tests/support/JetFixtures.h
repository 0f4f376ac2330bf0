// The Jet test databases of tests/data/jet with the rows their
// expected-rows.json lists, values written the way that file writes them,
// and stand-ins for the Jet helper that fail in the ways a real one can.
#pragma once

#include <gtest/gtest.h>

#include <QDateTime>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QVariant>
#include <chrono>

#include "store/Jetfiles.h"

inline QString JetFixture(const QString& name) {
    return QStringLiteral(VORNEL_JET_FIXTURES "/") + name;
}

inline QByteArray FileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The entry of expected-rows.json for a table of a file: "columns", "rows".
inline QJsonObject ExpectedTable(const QString& file, const QString& table) {
    const QJsonArray all =
        QJsonDocument::fromJson(FileBytes(JetFixture("expected-rows.json"))).array();
    for (const QJsonValue& entry : all)
        if (entry["file"] == file && entry["table"] == table) return entry.toObject();
    ADD_FAILURE() << "no expected rows for " << file.toStdString() << " " << table.toStdString();
    return {};
}

// One value as text: null, a number, a quoted text; a date (a day count) as
// the JSON writes it.
inline QString ValueText(const QJsonValue& v) {
    if (v.isNull()) return QStringLiteral("null");
    if (v.isDouble()) return QString::number(v.toDouble(), 'g', 17);
    return u'"' + v.toString() + u'"';
}
inline QString ValueText(const QVariant& v, bool isDate) {
    if (v.isNull()) return QStringLiteral("null");
    if (isDate) {
        const QDateTime epoch(QDate(1899, 12, 30), QTime(0, 0), Qt::UTC);
        const qint64 ms = qRound64(v.toDouble() * 86400000.0);
        return u'"' + epoch.addMSecs(ms).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) + u'"';
    }
    if (v.typeId() == QMetaType::QString) return u'"' + v.toString() + u'"';
    return QString::number(v.toDouble(), 'g', 17);
}
inline QStringList RowText(const QJsonArray& row) {
    QStringList out;
    for (const QJsonValue& v : row)
        out << ValueText(v);
    return out;
}

// A stand-in helper: a shell script with this body, made executable.
inline QString WriteHelperScript(const QTemporaryDir& dir, const QString& name,
                                 const QByteArray& body) {
    const QString path = dir.filePath(name);
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("#!/bin/sh\n" + body + "\n");
    f.close();
    f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

// Helpers that fail: cut off mid-way by a kill, never ending, crashing.
inline const QByteArray kHelperKilledMidway =
    "printf 'VORNEL-JET 1\\nT 4 7:BColors\\nC int 2:ID\\n'; kill -9 $$";
inline const QByteArray kHelperNeverEnding = "exec sleep 60";
inline const QByteArray kHelperCrashing = "printf 'VORNEL-JET 1\\n'; kill -SEGV $$";

// The helper and its time limit for the lifetime of the object.
class ScopedJetHelper {
public:
    explicit ScopedJetHelper(const QString& program,
                             std::chrono::milliseconds limit = std::chrono::milliseconds(1500))
        : saved_(SetJetExportTimeout(limit)) {
        SetJetExportProgram(program);
    }
    ~ScopedJetHelper() {
        SetJetExportProgram({});
        SetJetExportTimeout(saved_);
    }

private:
    std::chrono::milliseconds saved_;
};
