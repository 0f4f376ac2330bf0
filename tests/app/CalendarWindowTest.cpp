// The first window: the control bound to a database, on today's month.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTimer>

#include "app/Ucalendarwindow.h"
#include "reminder/Vncalendarreminder.h"
#include "store/Datafolder.h"
#include "support/DialogScript.h"
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
