// Writing and reading 10,000 events in both export formats.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>
#include <vector>

#include "reminder/Vneventfiles.h"
#include "reminder/Vnparams.h"

namespace {

std::vector<TvnEventParams> SampleEvents(int count) {
    std::vector<TvnEventParams> events(count);
    for (int i = 0; i < count; ++i) {
        TvnEventParams& e = events[i];
        e.eType = i % 3 == 0 ? etEvent : etRecurring;
        e.Recurrence = i % RecurrenceCount;
        e.Category = i % CategoryCount;
        e.Desc = QStringLiteral("Event number %1 with a description of ordinary length").arg(i);
        e.Date = EncodeDate(2024, 1 + i % 12, 1 + i % 28) + (i % 96) / 96.0;
        e.RunDate = e.Date - 1.0 / 96;
        e.EndDate = EncodeDate(2026, 12, 31);
        e.UseStartTime = true;
        e.UseEndDate = i % 2 == 0;
        e.Notify = true;
        e.NotifyParam = 15;
        e.nParam = 1 + i % 5;
        e.Sound_File = QStringLiteral("/usr/share/sounds/alarm.ogg");
        e.Notes = QStringLiteral("Some notes for event %1").arg(i);
    }
    return events;
}

void Report(const char* name, const QElapsedTimer& timer) {
    std::printf("BENCH %s %.1f ms\n", name, timer.nsecsElapsed() / 1e6);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const std::vector<TvnEventParams> events = SampleEvents(10000);
    QElapsedTimer timer;

    timer.start();
    TvnTextReportWriter report(dir.filePath("r.txt"), AllCategoriesMask);
    for (const TvnEventParams& e : events)
        report.Add(e);
    if (!report.Commit()) return 1;
    Report("text_report_write_10000", timer);

    timer.start();
    TvnEventDataWriter data(dir.filePath("e.edf"), AllCategoriesMask);
    for (const TvnEventParams& e : events)
        data.Add(e);
    if (!data.Commit()) return 1;
    Report("event_data_write_10000", timer);

    timer.start();
    const TvnEventDataFile read = ReadEventDataFile(dir.filePath("e.edf"));
    Report("event_data_read_10000", timer);
    return read.Events.size() == events.size() ? 0 : 1;
}
