// The first window: the control bound to a database, on today's month.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTimer>

#include <QFile>

#include "app/Application.h"
#include "app/Ucalendarwindow.h"
#include "reminder/Vncalendarreminder.h"
#include "store/Datafolder.h"
#include "support/DialogScript.h"
#include "support/EventRecords.h"
#include "support/RecordingActions.h"
#include "support/TestSupport.h"

TEST(CalendarWindow, ShowsTodaysMonthWithTheTimerRunning) {
    ScopedClock clock(At(2026, 12, 9, 15, 0));
    QTemporaryDir dir;
    const QString path = dir.filePath("DB.vdbv2");
    CreateDeliveredDatabase(path);
    TCalendarWindow window;
    window.OpenDatabase(path);
    TvnCalendarReminder& c = *window.Calendar();
    EXPECT_EQ(c.ViewMode(), vmMonth);
    EXPECT_TIME_EQ(c.CalendarDate(), At(2026, 12, 9));
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(c.TableIsActive(i)) << "table " << i;
    const auto timers = c.findChildren<QTimer*>();
    ASSERT_EQ(timers.size(), 1);
    EXPECT_TRUE(timers[0]->isActive());
    window.show();
    EXPECT_EQ(c.size(), window.size());
    EXPECT_FALSE(c.BackBuffer().isNull());
}

TEST(CalendarWindow, MissingDatabaseIsAnError) {
    QTemporaryDir dir;
    TCalendarWindow window;
    EXPECT_THROW(window.OpenDatabase(dir.filePath("none.vdbv2")), EDatabaseError);
    EXPECT_FALSE(window.Calendar()->TableIsActive(tsEvents));
}

// An error that repeats every timer tick must not pile up error boxes.
TEST(CalendarWindow, RepeatedErrorsShowOneBoxAtATime) {
    ScopedDialogScript script;
    TCalendarWindow window;
    for (int i = 0; i < 3; ++i)
        window.Calendar()->OnError(window.Calendar(), "disk failing");
    QCoreApplication::processEvents();
    EXPECT_EQ(script.Texts(TDialogKind::Error), QStringList{"disk failing"});
    window.Calendar()->OnError(window.Calendar(), "again");
    QCoreApplication::processEvents();
    EXPECT_EQ(script.Texts(TDialogKind::Error), (QStringList{"disk failing", "again"}));
}

// A due event goes from the reminder tick through the notification window to
// the shell and the sound player the window was given.
TEST(CalendarWindow, DueEventOpensAndPlaysThroughTheGivenShellAndPlayer) {
    ScopedClock clock(At(2026, 12, 9, 15, 0));
    ScopedDialogScript script;
    QTemporaryDir dir;
    const QString path = dir.filePath("DB.vdbv2");
    CreateDeliveredDatabase(path);
    const QString action = dir.filePath("agenda.txt"), sound = dir.filePath("bell.wav");
    for (const QString& file : {action, sound}) {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    RecordingShell shell;
    RecordingSoundPlayer player;
    TCalendarWindow window(shell, player);
    window.OpenDatabase(path);
    TvnEventParams e = EventRecord("Standup", At(2026, 12, 9, 15, 0, 30));
    e.Action_File = action;
    e.Sound_File = sound;
    window.Calendar()->AddEvent(&e);

    int shown = 0;
    script.Modal([&](QDialog&) { ++shown; });
    window.Calendar()->OnTimer(nullptr);
    EXPECT_EQ(shown, 0);  // not due yet
    clock.Advance(1.0 / MinsPerDay);
    window.Calendar()->OnTimer(nullptr);
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(shell.Opened, QStringList{action});
    EXPECT_EQ(player.Log, QStringList{"play " + sound});
}

namespace {

// An object whose event handler fails the way an engine call fails.
class FailingReceiver : public QObject {
public:
    bool event(QEvent*) override { throw EDatabaseError(QStringLiteral("Table is locked.")); }
};

}  // namespace

// What the application's notify does with every event: the error reaches the
// one error box after the delivery, one box for errors that repeat, and the
// event loop goes on.
TEST(ErrorBoundary, ErrorEscapingAnEventIsShownOnceAndTheLoopGoesOn) {
    ScopedDialogScript script;
    FailingReceiver receiver;
    QEvent event(QEvent::User);
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(DeliverAtErrorBoundary([&] { return qApp->notify(&receiver, &event); }));
    EXPECT_TRUE(script.Texts(TDialogKind::Error).isEmpty());  // never inside the delivery
    QCoreApplication::processEvents();
    EXPECT_EQ(script.Texts(TDialogKind::Error), QStringList{"Table is locked."});
    EXPECT_FALSE(DeliverAtErrorBoundary([]() -> bool { throw std::runtime_error("disk full"); }));
    QCoreApplication::processEvents();
    EXPECT_EQ(script.Texts(TDialogKind::Error), (QStringList{"Table is locked.", "disk full"}));
}
