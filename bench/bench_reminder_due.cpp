// A long absence: N events of the current user all due at the same second
// (the first N rows of gen.py's events.csv, their run date set to a week ago).
// One reminder tick announces them in the notification window and, after OK,
// moves them on. Measured per N:
//   window_shown       tick start until the window, with all its rows, shows
//   moved_on_after_ok  OK until every event is moved on (the tick returns)
//   window_released    the released window going away with its rows
//   repainted_after_ok OK until the calendar has repainted (all of the above)
// and for the first two the processor time they took (a busy machine
// stretches the times, not this).
//
//     python3 shared/benchdata/gen.py --out /tmp/vbench 100000
//     build/bench/bench_reminder_due /tmp/vbench/N100000/events.csv [N ...]
// N defaults to 10000 and 100000.
#include <sqlite3.h>

#include <QApplication>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>

#include "platform/DateTime.h"
#include "platform/Shell.h"
#include "platform/Sound.h"
#include "reminder/Uformnotify.h"
#include "reminder/Vncalendarreminder.h"
#include "store/Adodb.h"
#include "store/Datafolder.h"
#include "store/Udbmanagement.h"
#include "support/BenchData.h"

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

// Processor time of this thread, in ms: the part of a figure that other
// programs on a busy machine do not stretch.
double CpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

class SilentPlayer : public TSoundPlayer {
public:
    bool Play(const QString&) override { return true; }
    void Stop() override {}
};

class IdleShell : public TShellOpener {
public:
    bool OpenFile(const QString&) override { return true; }
    bool OpenUrl(const QUrl&) override { return true; }
};

// The first "count" events of the CSV for user 0, all due at "due".
void CreateDueDatabase(const QString& dbPath, const QString& csv, int count, TDateTime due) {
    BenchLoadOptions options;
    options.limit = count;
    std::vector<TvnEventParams> rows = ReadBenchEvents(csv, options);
    for (TvnEventParams& e : rows) {
        e.RunDate = due;
        e.Completed = false;
    }
    CreateBenchDatabase(dbPath, rows, 1);
}

int StillDue(TADOTable& events, TDateTime due) {
    int n = 0;
    for (events.First(); !events.Eof(); events.Next())
        if (!events.FieldByName(QStringLiteral("Completed"))->AsInteger() &&
            events.FieldByName(QStringLiteral("RunDate"))->AsDateTime() <= due + 1e-6)
            ++n;
    return n;
}

struct Times {
    Clock::time_point start, shown, ok, committing, movedOn, released, repainted;
    double cpuStart = 0, cpuShown = 0, cpuOk = 0, cpuMovedOn = 0;
    int rows = 0;
};

void MeasureLongAbsence(const QString& csv, int count) {
    QTemporaryDir dir;
    const QString dbPath = dir.filePath(QStringLiteral("Due.vdbv2"));
    // To the whole second, a week ago.
    const TDateTime due = std::floor((Now() - 7) * SecsPerDay) / SecsPerDay;
    CreateDueDatabase(dbPath, csv, count, due);

    TADOConnection connection;
    connection.ConnectionString = DatabaseConnectionString(dbPath);
    connection.Open();
    TCalendarTables tables = OpenCalendarTables(connection);
    auto calendar = std::make_unique<TvnCalendarReminder>();
    calendar->resize(1280, 800);
    for (int i = 0; i < 4; ++i)
        calendar->SetDataSet(i, tables[i].get());
    calendar->SetCurrUser(0);
    calendar->show();
    QCoreApplication::processEvents();

    SilentPlayer sound;
    IdleShell shell;
    Times t;
    int announcements = 0;
    // The main window's part: the window shown, then OK pressed at once.
    calendar->OnBeforeFoundEvents = [&](TvnCalendarReminder* r) {
        ++announcements;
        auto* form = new TFormNotify(nullptr, r->TakeEventsList(), shell, sound);
        form->show();
        QCoreApplication::processEvents();
        t.shown = Clock::now();
        t.cpuShown = CpuMs();
        t.rows = form->findChild<QTreeWidget*>()->topLevelItemCount();
        t.ok = Clock::now();
        t.cpuOk = CpuMs();
        form->accept();
        form->deleteLater();
        // Called when a commit begins, before its flush to disk.
        sqlite3_commit_hook(
            connection.Handle(),
            [](void* at) {
                *static_cast<Clock::time_point*>(at) = Clock::now();
                return 0;
            },
            &t.committing);
    };
    t.start = Clock::now();
    t.cpuStart = CpuMs();
    calendar->OnTimer(nullptr);
    t.movedOn = Clock::now();
    t.cpuMovedOn = CpuMs();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    t.released = Clock::now();
    calendar->repaint();
    t.repainted = Clock::now();

    const std::string n = std::to_string(count);
    PrintBench(("reminder_due_" + n + "_window_shown").c_str(), Ms(t.start, t.shown), "ms");
    PrintBench(("reminder_due_" + n + "_moved_on_after_ok").c_str(), Ms(t.ok, t.movedOn), "ms");
    PrintBench(("reminder_due_" + n + "_window_shown_cpu").c_str(), t.cpuShown - t.cpuStart, "ms");
    PrintBench(("reminder_due_" + n + "_moved_on_after_ok_cpu").c_str(), t.cpuMovedOn - t.cpuOk,
               "ms");
    PrintBench(("reminder_due_" + n + "_window_released").c_str(), Ms(t.movedOn, t.released), "ms");
    PrintBench(("reminder_due_" + n + "_repainted_after_ok").c_str(), Ms(t.ok, t.repainted), "ms");
    sqlite3_commit_hook(connection.Handle(), nullptr, nullptr);
    std::printf("# of which the last commit took %.1f ms\n", Ms(t.committing, t.movedOn));
    calendar->OnTimer(nullptr);  // nothing may be announced again
    std::printf("# %d due: %d rows in one window, %d announcement(s), %d still due, %zu shown\n",
                count, t.rows, announcements, StillDue(*tables[tsEvents], due),
                calendar->EventDrawList.size());
    calendar.reset();
    tables = {};
    connection.Close();
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <events.csv of gen.py, N = 100000> [N ...]\n", argv[0]);
        return 2;
    }
    const QString csv = QString::fromLocal8Bit(argv[1]);
    std::vector<int> counts;
    for (int i = 2; i < argc; ++i)
        counts.push_back(std::atoi(argv[i]));
    if (counts.empty()) counts = {10000, 100000};
    for (const int count : counts)
        MeasureLongAbsence(csv, count);
    return 0;
}
