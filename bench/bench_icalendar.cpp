// Speed of the iCalendar export and import of 10,000 events of every kind:
// the mapping alone, and the whole commands from and into a database (the
// export with the UIDs stored on its first run, the import adding 10,000
// events in one transaction). Goals: export at most 1 s, import at most 2 s.
//
//     build/bench/bench_icalendar
#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <memory>

#include "reminder/Vncalendarreminder.h"
#include "reminder/Vnicalendar.h"
#include "reminder/Vnicalendarfiles.h"
#include "store/Adodb.h"
#include "store/Datafolder.h"
#include "store/Dbfiles.h"
#include "store/Udbmanagement.h"
#include "support/BenchData.h"

namespace {

constexpr int kEvents = 10000;

std::vector<TvnEventParams> Events() {
    std::vector<TvnEventParams> events;
    for (int i = 0; i < kEvents; ++i) {
        TvnEventParams e;
        e.Recurrence = i % RecurrenceCount;
        e.eType = e.Recurrence == rkOnce ? etEvent : etRecurring;
        e.Desc = QStringLiteral("Bench event %1").arg(i);
        e.Notes = QStringLiteral("Notes of event %1").arg(i);
        e.Date = EncodeDate(2026, 1 + i % 12, 1 + i % 28) + (i % 96) / 96.0;
        e.UseStartTime = i % 5 != 0;
        e.nParam = 1 + i % 3;
        e.Notify = i % 2 == 0;
        e.NotifyParam = 1 + i % 30;
        e.NotifyType = i % NotifyTypeCount;
        e.Category = i % CategoryCount;
        e.UseEndDate = i % 4 == 0;
        e.EndDate = e.Date + 400;
        e.Sound_File = i % 3 == 0 ? QStringLiteral("/usr/share/sounds/bell.oga") : QString();
        events.push_back(e);
    }
    return events;
}

double Seconds(const std::function<void()>& f) {
    const auto start = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void BenchMapping(const std::vector<TvnEventParams>& records) {
    std::vector<TvnIcsEvent> events;
    for (int i = 0; i < kEvents; ++i)
        events.push_back({records[i], QStringLiteral("bench-%1@vornel").arg(i)});
    const TDateTime now = EncodeDate(2026, 12, 9) + 0.5;
    const QString zone = SystemIcsTimeZone();
    QByteArray text;
    PrintBench("ics_write_10000",
               MedianSeconds(5, [&] { text = WriteICalendar(events, now, zone); }) * 1e3, "ms");
    PrintBench("ics_read_10000", MedianSeconds(5, [&] { (void)ReadICalendar(text, now); }) * 1e3,
               "ms");
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const std::vector<TvnEventParams> records = Events();
    BenchMapping(records);

    QTemporaryDir dir;
    const QString dbPath = dir.filePath("DB.vdbv2");
    CreateDeliveredDatabase(dbPath);
    TADOConnection connection;
    connection.ConnectionString = DatabaseConnectionString(dbPath);
    connection.Open();
    TCalendarTables tables = OpenCalendarTables(connection);
    AppendBenchEvents(*tables[tsEvents], records, 1);
    auto calendar = std::make_unique<TvnCalendarReminder>();
    for (int i = 0; i < TableCount; ++i)
        calendar->SetDataSet(i, tables[i].get());

    TvnExportParams params;
    params.BegDate = EncodeDate(2026, 1, 1);
    params.EndDate = EncodeDate(2026, 12, 31);
    params.FileName = dir.filePath("bench.ics");
    PrintBench("ics_export_10000_first",
               Seconds([&] { (void)ExportIcsEvents(*calendar, params); }) * 1e3, "ms");
    PrintBench("ics_export_10000", Seconds([&] { (void)ExportIcsEvents(*calendar, params); }) * 1e3,
               "ms");

    // Into a second user's calendar, so that every event is a new one.
    calendar->SetCurrUser(1);
    TvnIcsImportReport report;
    PrintBench("ics_import_10000",
               Seconds([&] { report = ImportIcsEvents(*calendar, params.FileName); }) * 1e3, "ms");
    std::printf("# imported %d, updated %d, skipped %d %s\n", report.Imported, report.Updated,
                report.Skipped, qPrintable(report.Error));
    PrintBench("ics_reimport_10000_updates",
               Seconds([&] { report = ImportIcsEvents(*calendar, params.FileName); }) * 1e3, "ms");
    std::printf("# imported %d, updated %d\n", report.Imported, report.Updated);
    calendar.reset();
    connection.Close();
    return 0;
}
