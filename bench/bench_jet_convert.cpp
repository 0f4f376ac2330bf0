// Bringing a decade of events over from the Windows version: the Jet
// database "DB.vdbv2" with 20,000 events converted into this program's
// database, the helper's read, the strict reader and the writing together
// (goal: 5 s). Reads the shared test file when it is there; otherwise it
// times the reader and the writing on 20,000 generated rows fed by a
// stand-in helper (the libmdb read is then left out, and the name says so).
//
//     bench_jet_convert [windows-large-DB.vdbv2]
#include <sqlite3.h>

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>

#include "store/Jetconvert.h"
#include "store/Jetfiles.h"
#include "support/BenchData.h"

namespace {

constexpr int kEvents = 20000;

int EventCount(const QString& path) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db, "SELECT count(*) FROM Events", -1, &stmt, nullptr);
    const int n = stmt && sqlite3_step(stmt) == SQLITE_ROW ? sqlite3_column_int(stmt, 0) : -1;
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return n;
}

QByteArray Value(const QByteArray& text) {
    return QByteArray::number(text.size()) + ':' + text + '\n';
}

// The helper's output for four tables, Events holding kEvents rows.
QByteArray GeneratedOutput() {
    QByteArray out = "VORNEL-JET 1\n";
    out += "T 4 " + Value("BColors") + "C int " + Value("ID") + "C int " + Value("UserID") +
           "C date " + Value("Date") + "C int " + Value("Color") + "E 0\n";
    const char* columns[][2] = {
        {"int", "ID"},           {"int", "UserID"},       {"int", "eType"},
        {"text", "Desc"},        {"date", "Date"},        {"date", "RunDate"},
        {"date", "EndDate"},     {"int", "UseStartTime"}, {"int", "UseEndDate"},
        {"int", "Notify"},       {"int", "NotifyParam"},  {"int", "NotifyType"},
        {"int", "Category"},     {"int", "Recurrence"},   {"int", "nParam"},
        {"text", "Action_File"}, {"text", "Sound_File"},  {"text", "Notes"},
        {"int", "Completed"}};
    out += "T 19 " + Value("Events");
    for (const auto& c : columns)
        out += "C " + QByteArray(c[0]) + ' ' + Value(c[1]);
    for (int i = 1; i <= kEvents; ++i) {
        const QByteArray day = QByteArray::number(40000 + i % 5000 + 0.375, 'g', 17);
        out += "R\n" + Value(QByteArray::number(i)) + Value(QByteArray::number(i % 3)) +
               Value("1") + Value("Event number " + QByteArray::number(i)) + Value(day) +
               Value(day) + "-\n" + Value("1") + Value("0") + Value("1") + Value("15") +
               Value("0") + Value(QByteArray::number(i % 5)) + Value("3") + Value("1") + Value("") +
               Value("") + Value("Notes of the event\r\nsecond line") + Value("0");
    }
    out += "E " + QByteArray::number(kEvents) + "\n";
    for (const char* table : {"Holidays", "Notes"}) {
        out += "T 1 " + Value(table) + "C int " + Value("ID") + "E 0\n";
    }
    return out + "Z\n";
}

// A file that looks like a Jet database and a helper that prints the rows.
QString StandIn(const QTemporaryDir& dir) {
    QFile jet(dir.filePath("generated.vdbv2"));
    jet.open(QIODevice::WriteOnly);
    jet.write(QByteArray("\0\1\0\0Standard Jet DB\0", 20));
    jet.close();
    QFile rows(dir.filePath("rows.txt"));
    rows.open(QIODevice::WriteOnly);
    rows.write(GeneratedOutput());
    rows.close();
    QFile helper(dir.filePath("helper.sh"));
    helper.open(QIODevice::WriteOnly);
    helper.write("#!/bin/sh\nexec cat '" + QFile::encodeName(rows.fileName()) + "'\n");
    helper.close();
    helper.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    SetJetExportProgram(helper.fileName());
    return jet.fileName();
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    QString source = argc > 1 ? QString::fromLocal8Bit(argv[1])
                              : QStringLiteral(VORNEL_SOURCE_TREE
                                               "/../shared/fixtures/jet/windows-large-DB.vdbv2");
    const bool real = QFileInfo::exists(source);
    if (!real) source = StandIn(dir);
    const QString target = dir.filePath("DB.vdbv2");
    int events = 0;
    const double seconds = MedianSeconds(5, [&] {
        ConvertJetDatabase(source, target);
        events = EventCount(target);
    });
    if (events != kEvents) {
        std::fprintf(stderr, "converted %d events, not %d\n", events, kEvents);
        return 1;
    }
    PrintBench(real ? "jet_convert_20000_events" : "jet_convert_20000_events_generated",
               seconds * 1e3, "ms");
    return 0;
}
