// The main window with 10,000 events of the current user: a cold start of the
// real program to its first painted month (a whole process, quit by the
// VORNEL_QUIT_AFTER_FIRST_PAINT switch), opening the event editor, choosing a
// month tab, and choosing "Recurring Events".
//
//     bench_main_window EVENTS.CSV      (gen.py, N = 10000)
#include <QApplication>
#include <QFileInfo>
#include <QProcess>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <cstdio>

#include "app/Uformmain.h"
#include "platform/Dialogs.h"
#include "reminder/Vncalendarreminder.h"
#include "store/Datafolder.h"
#include "support/BenchData.h"

namespace {

// Answers every dialog at once; a form left open closes as by its close box.
class CloseEveryDialog : public TDialogHandler {
public:
    TDialogAnswer Answer(const TDialogRequest&) override { return {}; }
};

double ColdStartMs(const QString& home, const QString& runtime) {
    return MedianSeconds(7,
                         [&] {
                             QProcess p;
                             QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
                             env.insert("VORNEL_HOME", home);
                             env.insert("XDG_RUNTIME_DIR", runtime);
                             env.insert("QT_QPA_PLATFORM", "offscreen");
                             env.insert("VORNEL_QUIT_AFTER_FIRST_PAINT", "1");
                             p.setProcessEnvironment(env);
                             p.start(QStringLiteral(VORNEL_PROGRAM), {});
                             if (!p.waitForFinished(30000) || p.exitCode() != 0)
                                 std::fprintf(stderr, "the program did not end cleanly\n");
                         }) *
           1e3;
}

void MeasureInProcess(const QString& home) {
    SetDataFolder(home + '/');
    CloseEveryDialog handler;
    TScopedDialogHandler scoped(handler);
    TFormMainVNCR window;
    if (!window.FormCreate()) return;
    window.resize(1280, 800);
    window.show();
    TvnCalendarReminder& cal = *window.Calendar();
    cal.BackBuffer();
    PrintBench("main_open_event_editor",
               MedianSeconds(9, [&] { window.SendAddEvent(aoEventOnCalendarDate); }) * 1e3, "ms");
    auto* tabs = window.findChild<QTabBar*>(QStringLiteral("tabControl_Months"));
    int month = 0;
    PrintBench("main_choose_month_tab",
               MedianSeconds(11,
                             [&] {
                                 tabs->setCurrentIndex(month++ % 12);
                                 cal.BackBuffer();
                             }) *
                   1e3,
               "ms");
    PrintBench("main_choose_recurring_events",
               MedianSeconds(5,
                             [&] {
                                 tabs->setCurrentIndex(0);
                                 tabs->setCurrentIndex(12);
                                 QCoreApplication::processEvents();
                             }) *
                   1e3,
               "ms");
    if (auto* list = window.findChild<QTreeWidget*>(QStringLiteral("listView_Events")))
        std::printf("# %d recurring events listed\n", list->topLevelItemCount());
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 2 || !QFileInfo::exists(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "usage: bench_main_window EVENTS.CSV (gen.py, N = 10000)\n");
        return 2;
    }
    QTemporaryDir home, runtime;
    BenchLoadOptions options;
    options.now = EncodeDate(2026, 12, 15) + 0.5;
    const int events = CreateBenchDatabase(home.filePath(QStringLiteral("DB.vdbv2")),
                                           QString::fromLocal8Bit(argv[1]), options);
    std::printf("# %d events of user 0\n", events);
    PrintBench("main_cold_start_to_first_paint", ColdStartMs(home.path(), runtime.path()), "ms");
    MeasureInProcess(home.path());
    return 0;
}
