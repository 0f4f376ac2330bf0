// Reading an event data file of a million small events (a description and a
// start each, as a big calendar exported would hold them at their smallest):
// the reader's time and peak memory, and a whole import of the file into an
// empty calendar. Each measurement runs in a process of its own, so that the
// peak memory of one does not hide behind that of another.
//
//     build/bench/bench_event_file_read [events]
#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>

#include <sys/resource.h>

#include "reminder/Vncalendarreminder.h"
#include "reminder/Vneventfiles.h"
#include "store/Adodb.h"
#include "store/Datafolder.h"
#include "store/Udbmanagement.h"
#include "support/BenchData.h"

namespace {

double PeakRssMb() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;  // kilobytes on Linux
}

double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Written by hand rather than by the writer, so that the writer's own memory
// does not count; the lines are those the writer makes.
bool WriteEventFile(const QString& path, int events) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    QByteArray chunk;
    for (int i = 0; i < events; ++i) {
        chunk += "[EventID_" + QByteArray::number(i) + "]\r\nDesc=Event " + QByteArray::number(i) +
                 "\r\nDate=" + QByteArray::number(45400 + i % 700) + ".375\r\n";
        if (chunk.size() > (1 << 20) || i + 1 == events) {
            file.write(chunk);
            chunk.clear();
        }
    }
    file.write("[General]\r\nCount=" + QByteArray::number(events) + "\r\n");
    return file.flush();
}

int MeasureRead(const QString& path) {
    PrintBench("event_file_read_base_rss", PeakRssMb(), "MB");
    const auto start = std::chrono::steady_clock::now();
    const TvnEventDataFile file = ReadEventDataFile(path);
    PrintBench("event_file_read", SecondsSince(start), "s");
    PrintBench("event_file_read_peak_rss", PeakRssMb(), "MB");
    std::printf("# read %zu events\n", file.Events.size());
    return file.Readable ? 0 : 1;
}

int MeasureImport(const QString& path) {
    QTemporaryDir dir;
    const QString db = dir.filePath("DB.vdbv2");
    CreateDeliveredDatabase(db);
    TADOConnection connection;
    connection.ConnectionString = DatabaseConnectionString(db);
    connection.Open();
    TCalendarTables tables = OpenCalendarTables(connection);
    bool imported = false;
    {
        TvnCalendarReminder calendar;
        for (int i = 0; i < TableCount; ++i)
            calendar.SetDataSet(i, tables[i].get());
        TvnImportParams params;
        params.FileName = path;
        params.DeleteExisting = true;
        params.Accepted = true;
        PrintBench("event_file_import_base_rss", PeakRssMb(), "MB");
        const auto start = std::chrono::steady_clock::now();
        imported = calendar.ImportEvents(params);
        PrintBench("event_file_import", SecondsSince(start), "s");
        PrintBench("event_file_import_peak_rss", PeakRssMb(), "MB");
        std::printf("# imported %d events\n", tables[tsEvents]->RecordCount());
    }
    tables = {};
    connection.Close();
    return imported ? 0 : 1;
}

int RunPhase(const QString& program, const QString& phase, const QString& path) {
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedChannels);
    child.start(program, {phase, path});
    if (!child.waitForFinished(-1) || child.exitCode() != 0) {
        std::fprintf(stderr, "%s failed\n", qPrintable(phase));
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 3 && args[1] == "read") return MeasureRead(args[2]);
    if (args.size() == 3 && args[1] == "import") return MeasureImport(args[2]);
    const int events = args.size() > 1 ? args[1].toInt() : 1000000;
    QTemporaryDir dir;
    const QString path = dir.filePath("events.edf");
    if (!WriteEventFile(path, events)) return 1;
    std::printf("# %d events, %.1f MB\n", events, QFileInfo(path).size() / 1048576.0);
    std::fflush(stdout);
    const QString self = QCoreApplication::applicationFilePath();
    return RunPhase(self, "read", path) | RunPhase(self, "import", path);
}
