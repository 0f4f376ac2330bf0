// Speed of the reminder with a big calendar: 100,000 events dealt round-robin
// to users 0 to 8 (gen.py, N = 100,000), measured for user 4 (11,111 events):
// a tick that finds nothing due, a search by text, export of 10,000 events to
// either format, and import of 10,000 events.
//
//     python3 shared/benchdata/gen.py --out /tmp/vbench 100000
//     build/bench/bench_reminder /tmp/vbench/N100000/events.csv
#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <array>
#include <cstdio>
#include <memory>
#include <vector>

#include "reminder/Vncalendarreminder.h"
#include "store/Adodb.h"
#include "store/Datafolder.h"
#include "store/Udbmanagement.h"
#include "support/BenchData.h"

namespace {

struct BenchCalendar {
    explicit BenchCalendar(const QString& dbPath) {
        connection.ConnectionString = DatabaseConnectionString(dbPath);
        connection.Open();
        tables = OpenCalendarTables(connection);
        calendar = std::make_unique<TvnCalendarReminder>();
        calendar->resize(1280, 800);
        for (int i = 0; i < 4; ++i)
            calendar->SetDataSet(i, tables[i].get());
        calendar->SetCurrUser(4);
        // The records go where the rows of the notification window would take them.
        calendar->OnBeforeFoundEvents = [this](TvnCalendarReminder* r) {
            for (auto& e : r->TakeEventsList())
                announced.push_back(std::move(e));
        };
    }
    ~BenchCalendar() {
        calendar.reset();
        connection.Close();
    }

    TADOConnection connection;
    TCalendarTables tables;
    std::unique_ptr<TvnCalendarReminder> calendar;
    std::vector<std::unique_ptr<TvnEventParams>> announced;
};

TvnExportParams ExportEverything(const QString& file, bool text) {
    TvnExportParams p;
    p.BegDate = EncodeDate(1990, 1, 1);
    p.EndDate = EncodeDate(2030, 12, 31);
    p.SaveAsTxt = text;
    p.FileName = file;
    p.Accepted = true;
    return p;
}

void MeasureTickAndSearch(TvnCalendarReminder& cal) {
    cal.OnTimer(nullptr);  // announces what fell due since the data was made
    PrintBench("reminder_tick_nothing_due", MedianSeconds(200, [&] { cal.OnTimer(nullptr); }) * 1e3,
               "ms");
    TvnFindParams find;
    find.EventDesc = QStringLiteral("WEEKLY K2");  // about 2 % of the descriptions
    find.ParComp = true;
    int found = 0;
    PrintBench("reminder_search_text",
               MedianSeconds(15,
                             [&] {
                                 cal.FindEvents(find);
                                 found = int(cal.TakeEventsList().size());
                             }) *
                   1e3,
               "ms");
    std::printf("# search found %d events\n", found);
}

void MeasureExportImport(const QString& csv, const QTemporaryDir& dir) {
    BenchLoadOptions options;
    options.limit = 10000;
    const QString smallDb = dir.filePath("Small.vdbv2");
    CreateBenchDatabase(smallDb, csv, options);
    BenchCalendar small(smallDb);
    small.calendar->SetCurrUser(0);
    const QString edf = dir.filePath("export.edf");
    PrintBench("reminder_export_txt_10000",
               MedianSeconds(5,
                             [&] {
                                 small.calendar->ExportEvents(
                                     ExportEverything(dir.filePath("export.txt"), true));
                             }) *
                   1e3,
               "ms");
    PrintBench(
        "reminder_export_edf_10000",
        MedianSeconds(5, [&] { small.calendar->ExportEvents(ExportEverything(edf, false)); }) * 1e3,
        "ms");
    TvnImportParams import;
    import.FileName = edf;
    import.DeleteExisting = true;
    import.Accepted = true;
    small.calendar->SetCurrUser(1);
    PrintBench("reminder_import_10000",
               MedianSeconds(5, [&] { small.calendar->ImportEvents(import); }) * 1e3, "ms");
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <events.csv of gen.py, N = 100000>\n", argv[0]);
        return 2;
    }
    const QString csv = QString::fromLocal8Bit(argv[1]);
    QTemporaryDir dir;
    BenchLoadOptions options;
    options.users = 9;
    const QString dbPath = dir.filePath("DB.vdbv2");
    CreateBenchDatabase(dbPath, csv, options);
    {
        BenchCalendar big(dbPath);
        MeasureTickAndSearch(*big.calendar);
    }
    MeasureExportImport(csv, dir);
    return 0;
}
