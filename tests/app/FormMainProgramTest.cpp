// The real program started twice, and a picture of the main window with
// sample data of every kind for a person to look at.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTabBar>
#include <QTemporaryDir>
#include <memory>

#include "app/Uformmain.h"
#include "app/Vnfirststart.h"
#include "platform/Colors.h"
#include "reminder/Vncalendarreminder.h"
#include "store/Datafolder.h"
#include "support/DialogScript.h"
#include "support/EventRecords.h"
#include "support/RecordingActions.h"
#include "support/TestSupport.h"

namespace {

QProcessEnvironment ProgramEnvironment(const QString& home, const QString& runtime) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("VORNEL_HOME", home);
    env.insert("XDG_RUNTIME_DIR", runtime);
    env.insert("QT_QPA_PLATFORM", "offscreen");
    return env;
}

}  // namespace

TEST(Program, ASecondStartShowsTheFirstAndEndsWithZero) {
    QTemporaryDir home, runtime;
    QFile::setPermissions(runtime.path(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QProcess first, second;
    for (QProcess* p : {&first, &second}) {
        p->setProcessEnvironment(ProgramEnvironment(home.path(), runtime.path()));
        p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    }
    first.start(VORNEL_PROGRAM, {});
    ASSERT_TRUE(first.waitForStarted(10000));
    // Running once the delivered database is there and the socket listens.
    ASSERT_TRUE(WaitUntil(
        [&] {
            return QFileInfo::exists(home.filePath("DB.vdbv2")) &&
                   !QDir(runtime.path()).entryList(QDir::System | QDir::Files).isEmpty();
        },
        20000));
    second.start(VORNEL_PROGRAM, {});
    ASSERT_TRUE(second.waitForFinished(20000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(first.state(), QProcess::Running);
    first.terminate();
    EXPECT_TRUE(first.waitForFinished(10000));
}

// Every category, a holiday, notes and a day colour in the month view, as a
// first start delivers the data folder.
TEST(FormMainPicture, MonthViewWithSampleData) {
    ScopedClock clock(At(2026, 12, 9, 15, 0));
    ScopedFormat format(DottedFormatSettings());
    QTemporaryDir dir;
    SetDataFolder(dir.path() + '/');
    ASSERT_TRUE(PrepareFirstStart());
    RecordingShell shell;
    RecordingSoundPlayer player;
    auto window = std::make_unique<TFormMainVNCR>(shell, player);
    ASSERT_TRUE(window->FormCreate());
    window->resize(1280, 800);
    window->show();
    TvnCalendarReminder& c = *window->Calendar();
    const char* names[] = {"Team lunch", "Wedding day", "Anna's birthday", "Concert",
                           "Budget meeting"};
    for (int category = 0; category < 5; ++category) {
        TvnEventParams e =
            EventRecord(names[category], At(2026, 12, 3 + category * 4, 9 + category));
        e.Category = category;
        c.AddEvent(&e);
    }
    TvnEventParams weekly = EventRecord("Gym", At(2026, 12, 1, 18, 0), rkWeekly);
    weekly.eType = etRecurring;
    c.AddEvent(&weekly);
    TvnHolidayParams christmas;
    christmas.Month = 12;
    christmas.Day = 25;
    christmas.Name = "Christmas Day";
    c.AddHoliday(&christmas);
    TvnNotesParams notes;
    notes.Date = At(2026, 12, 15);
    notes.Title = "Call the plumber";
    notes.Notes = "Call the plumber";
    c.AddNotes(&notes);
    c.SelectedDate = At(2026, 12, 22);
    int col, row;
    c.DateToCell(At(2026, 12, 22), col, row);
    c.SelCol = col;
    c.SelRow = row;
    c.UpdateBColor(static_cast<int>(0xC0FFC0));
    c.UpdateCalendar();
    QCoreApplication::processEvents();
    const QImage picture = window->grab().toImage();
    EXPECT_EQ(picture.size(), QSize(1280, 800));
    EXPECT_TRUE(picture.save(TestOutputDir() + "/main-window-month.png"));
    window->findChild<QTabBar*>("tabControl_Months")->setCurrentIndex(RecurringEventsTab);
    QCoreApplication::processEvents();
    EXPECT_TRUE(window->grab().toImage().save(TestOutputDir() + "/main-window-recurring.png"));
    window.reset();
    SetDataFolder({});
}
