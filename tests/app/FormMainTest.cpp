// The main window: its start sequence on a data folder of the test's own,
// the road of one event from a double click to its announcement, hiding,
// suspending, a failed start, and the real program started twice.
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QDateEdit>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTimeEdit>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <memory>

#include "app/Application.h"
#include "app/Uformmain.h"
#include "app/Uformoptions.h"
#include "platform/Tray.h"
#include "reminder/Vncalendarreminder.h"
#include "store/Datafolder.h"
#include "support/DialogScript.h"
#include "support/EventRecords.h"
#include "support/RecordingActions.h"
#include "support/TestSupport.h"

namespace {

// A data folder of the test's own with the delivered database in it.
struct DataFolderFixture {
    DataFolderFixture() {
        SetDataFolder(dir.path() + '/');
        CreateDeliveredDatabase(DatabaseFilePath());
    }
    ~DataFolderFixture() { SetDataFolder({}); }
    QTemporaryDir dir;
};

// A started main window that opens and plays through recorders.
struct StartedWindow {
    explicit StartedWindow(TDateTime now) : clock(now) {
        window = std::make_unique<TFormMainVNCR>(shell, player);
        started = window->FormCreate();
    }
    TvnCalendarReminder& Cal() const { return *window->Calendar(); }
    QAction* Action(const char* name) const { return window->findChild<QAction*>(name); }
    ScopedClock clock;
    DataFolderFixture data;
    RecordingShell shell;
    RecordingSoundPlayer player;
    std::unique_ptr<TFormMainVNCR> window;
    bool started = false;
};

void SendMouse(QWidget* target, QEvent::Type type, QPoint at) {
    QMouseEvent event(type, at, target->mapToGlobal(at), Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(target, &event);
}

void DoubleClick(QWidget* target, QPoint at) {
    SendMouse(target, QEvent::MouseButtonPress, at);
    SendMouse(target, QEvent::MouseButtonRelease, at);
    SendMouse(target, QEvent::MouseButtonDblClick, at);
    SendMouse(target, QEvent::MouseButtonRelease, at);
}

// Somewhere in the empty lower part of a day's cell.
QPoint EmptyPartOfDay(const TvnCalendarReminder& c, TDateTime day) {
    int col, row;
    c.DateToCell(day, col, row);
    const TRect r = c.CellsRects[CellRectIndex(col, row)];
    EXPECT_GT(r.Bottom - r.Top, 20) << "the calendar was not painted yet";
    return QPoint((r.Left + r.Right) / 2, r.Bottom - 4);
}

}  // namespace

TEST(FormMain, StartsOnTodaysMonthWithTheTimerRunning) {
    StartedWindow w(At(2026, 12, 9, 15, 0));
    ASSERT_TRUE(w.started);
    TvnCalendarReminder& c = w.Cal();
    EXPECT_EQ(c.ViewMode(), vmMonth);
    EXPECT_TIME_EQ(c.CalendarDate(), At(2026, 12, 9));
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(c.TableIsActive(i)) << "table " << i;
    const auto timers = c.findChildren<QTimer*>();
    ASSERT_EQ(timers.size(), 1);
    EXPECT_TRUE(timers[0]->isActive());
    w.window->show();
    EXPECT_FALSE(c.BackBuffer().isNull());
    EXPECT_EQ(c.width(), w.window->centralWidget()->width());  // fills the client area
    EXPECT_TRUE(w.Action("mMenu_ViewMonth")->isChecked());
    EXPECT_EQ(w.window->windowTitle(), "Vornel Pro");
    auto* tabs = w.window->findChild<QTabBar*>("tabControl_Months");
    ASSERT_EQ(tabs->count(), 13);
    EXPECT_EQ(tabs->tabText(12), "Recurring Events");
    EXPECT_EQ(tabs->currentIndex(), 11);
    EXPECT_FALSE(tabs->tabIcon(11).isNull());  // this month
    EXPECT_TRUE(tabs->tabIcon(10).isNull());
    EXPECT_FALSE(w.Action("mMenu_FileImportData")->isVisible());  // no "DB.vdb"
    EXPECT_TRUE(w.window->SettingsLoaded());
}

template <int Message, class Record>
concept Sendable = requires(TFormMainVNCR& w, Record* r) {
    w.template SendRecord<Message>(r);
};

// Records went through the dispatch as integers: an event sent as notes compiled.
static_assert(Sendable<WM_ADDEVENT, TvnEventParams> && !Sendable<WM_ADDEVENT, TvnNotesParams>);
static_assert(Sendable<WM_EDITNOTES, TvnNotesParams> && !Sendable<WM_EDITNOTES, TvnEventParams>);
static_assert(Sendable<WM_DELETEHOLIDAY, TvnHolidayParams> &&
              !Sendable<WM_DELETEHOLIDAY, TvnFindParams>);

// The tool bar's height was added to the client area of 792 x 516.
TEST(FormMain, FirstClientAreaBelowTheMenuBarIs792By516) {
    RecordingShell shell;
    RecordingSoundPlayer player;
    TFormMainVNCR window(shell, player);
    const int menuBar = window.findChild<QMenuBar*>("mMenu")->sizeHint().height();
    EXPECT_EQ(window.size(), QSize(792, 516 + menuBar));
}

TEST(FormMain, EveryToolButtonHasItsCaptionAndAPicture) {
    StartedWindow w(At(2026, 12, 9, 15, 0));
    const std::pair<const char*, const char*> buttons[] = {
        {"ToolButton1", "New Event"},     {"ToolButton2", "Options"},
        {"ToolButton3", "Find"},          {"ToolButton5", "Day View"},
        {"ToolButton6", "Week View"},     {"ToolButton7", "Month View"},
        {"ToolButton9", "Previous Year"}, {"ToolButton10", "Next Year"}};
    for (const auto& [name, caption] : buttons) {
        auto* button = w.window->findChild<QToolButton*>(name);
        ASSERT_NE(button, nullptr) << name;
        EXPECT_EQ(button->text(), caption) << name;
        EXPECT_FALSE(button->icon().isNull()) << name;
    }
    EXPECT_EQ(w.Action("mMenu_FileImportEvents")->shortcut(), QKeySequence("Ctrl+O"));
    EXPECT_EQ(w.Action("mMenu_ViewYear")->shortcut(), QKeySequence("Ctrl+F4"));
}

TEST(FormMain, MissingDatabaseIsNotOpened) {
    ScopedDialogScript script;
    QTemporaryDir dir;
    SetDataFolder(dir.path() + '/');
    TFormMainVNCR window;
    EXPECT_FALSE(window.OpenDatabase(false));
    EXPECT_FALSE(window.Calendar()->TableIsActive(tsEvents));
    EXPECT_TRUE(script.Requests().empty());
    SetDataFolder({});
}

// A database deleted before the start: the error box and the restore offer;
// cancelling it ends the start and leaves the settings file as it was.
TEST(FormMain, DeletedDatabaseGivesTheErrorBoxAndLeavesTheSettingsUntouched) {
    ScopedDialogScript script;
    QTemporaryDir dir;
    SetDataFolder(dir.path() + '/');
    const QByteArray settings = "[Calendar]\nStartOfWeek=7\n";
    {
        QFile f(SettingsFilePath());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(settings);
    }
    script.CancelFile(TDialogKind::OpenFile);
    {
        TFormMainVNCR window;
        EXPECT_FALSE(window.FormCreate());
        EXPECT_FALSE(window.SettingsLoaded());
    }
    EXPECT_EQ(script.Texts(TDialogKind::Error),
              QStringList{"Database not found! Restore the database from a backup copy."});
    ASSERT_EQ(script.Count(TDialogKind::OpenFile), 1);
    EXPECT_EQ(script.Requests().back().File.Filter,
              "Vornel databases v2.0 (*.vdbv2.bak)|*.vdbv2.bak");
    QFile f(SettingsFilePath());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), settings);
    SetDataFolder({});
}

// An error that repeats every timer tick must not pile up error boxes.
TEST(FormMain, RepeatedErrorsShowOneBoxAtATime) {
    ScopedDialogScript script;
    TFormMainVNCR window;
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
TEST(FormMain, DueEventOpensAndPlaysThroughTheGivenShellAndPlayer) {
    ScopedDialogScript script;
    StartedWindow w(At(2026, 12, 9, 15, 0));
    const QString action = w.data.dir.filePath("agenda.txt"),
                  sound = w.data.dir.filePath("bell.wav");
    for (const QString& file : {action, sound}) {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    TvnEventParams e = EventRecord("Standup", At(2026, 12, 9, 15, 0, 30));
    e.Action_File = action;
    e.Sound_File = sound;
    w.Cal().AddEvent(&e);

    int shown = 0;
    script.Modal([&](QDialog&) { ++shown; });
    w.Cal().OnTimer(nullptr);
    EXPECT_EQ(shown, 0);  // not due yet
    w.clock.Advance(1.0 / MinsPerDay);
    w.Cal().OnTimer(nullptr);
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(w.shell.Opened, QStringList{action});
    EXPECT_EQ(w.player.Log, QStringList{"play " + sound});
}

// The road of one event: a double click on a day opens the editor on that
// day at the current time; OK stores it, its cell shows it, and the reminder
// announces it when its time comes.
TEST(FormMain, DoubleClickOnADayAddsAnEventThatIsAnnounced) {
    ScopedDialogScript script;
    StartedWindow w(At(2026, 12, 9, 15, 0));
    w.window->resize(1000, 700);
    w.window->show();
    QCoreApplication::processEvents();
    TvnCalendarReminder& c = w.Cal();
    const TDateTime day = At(2026, 12, 17);
    QDate shownDate;
    QTime shownTime;
    script.Modal([&](QDialog& editor) {
        shownDate = editor.findChild<QDateEdit*>("dtPicker_Date")->date();
        shownTime = editor.findChild<QTimeEdit*>("dtPicker_Time")->time();
        editor.findChild<QPlainTextEdit*>("memo_Desc")->setPlainText("Dentist");
        editor.findChild<QPushButton*>("btnOK")->click();
    });
    DoubleClick(&c, EmptyPartOfDay(c, day));
    EXPECT_EQ(shownDate, QDate(2026, 12, 17));
    EXPECT_EQ(shownTime, QTime(15, 0));
    EXPECT_FALSE(c.DblClicked);
    ASSERT_EQ(c.EventDrawList.size(), 1u);
    int col, row;
    c.DateToCell(day, col, row);
    EXPECT_TRUE(c.EventDrawList[0].Cells[CellFlagIndex(col, row)]);

    int announced = 0;
    script.Modal([&](QDialog& notify) {
        auto* list = notify.findChild<QTreeWidget*>("listView_Events");
        ASSERT_EQ(list->topLevelItemCount(), 1);
        EXPECT_EQ(list->topLevelItem(0)->text(0), "Dentist");
        ++announced;
    });
    w.clock.Set(At(2026, 12, 17, 15, 1));
    c.OnTimer(nullptr);
    EXPECT_EQ(announced, 1);
}

TEST(FormMain, DoubleClickCancelledStoresNothing) {
    ScopedDialogScript script;
    StartedWindow w(At(2026, 12, 9, 15, 0));
    w.window->show();
    QCoreApplication::processEvents();
    script.Modal([](QDialog&) {});  // closed by its close box
    DoubleClick(&w.Cal(), EmptyPartOfDay(w.Cal(), At(2026, 12, 10)));
    EXPECT_TRUE(w.Cal().EventDrawList.empty());
}

// The close box only hides; the reminder keeps announcing.
TEST(FormMain, CloseBoxHidesAndTheReminderKeepsAnnouncing) {
    ScopedDialogScript script;
    StartedWindow w(At(2026, 12, 9, 15, 0));
    w.window->show();
    EXPECT_FALSE(w.window->close());
    EXPECT_TRUE(w.window->Hidden());
    if (w.window->Tray().Available())
        EXPECT_FALSE(w.window->isVisible());
    else
        EXPECT_TRUE(w.window->isMinimized());  // no tray: still reachable
    TvnEventParams e = EventRecord("Call", At(2026, 12, 9, 15, 0, 30));
    w.Cal().AddEvent(&e);
    int announced = 0;
    script.Modal([&](QDialog&) { ++announced; });
    w.clock.Advance(1.0 / MinsPerDay);
    w.Cal().OnTimer(nullptr);
    EXPECT_EQ(announced, 1);
    w.Action("pMenu_TryShowHide")->trigger();
    EXPECT_FALSE(w.window->Hidden());
    EXPECT_TRUE(w.window->isVisible());
}

namespace {

// The tray menu's items by name, a separator as an empty name.
QStringList TrayItemNames(TFormMainVNCR& window) {
    QStringList names;
    for (const QAction* a : window.TrayMenu()->actions())
        names << (a->isSeparator() ? QString() : a->objectName());
    return names;
}

}  // namespace

TEST(FormMain, SuspendShowsPictureZeroAndChecksBothItems) {
    StartedWindow w(At(2026, 12, 9, 15, 0));
    QAction* suspend = w.Action("mMenu_FileSuspend");
    QAction* traySuspend = w.Action("pMenu_TrySuspend");
    ASSERT_TRUE(w.window->findChild<QMenu*>("mMenu_File")->actions().contains(suspend));
    ASSERT_EQ(TrayItemNames(*w.window), (QStringList{"pMenu_TryAbout", "", "pMenu_TrySuspend", "",
                                                     "pMenu_TryShowHide", "pMenu_TryExit"}));
    EXPECT_EQ(w.window->Tray().ShownImage(), 9);
    traySuspend->trigger();
    EXPECT_FALSE(w.Cal().FReminderActive);
    EXPECT_TRUE(suspend->isChecked());
    EXPECT_TRUE(traySuspend->isChecked());
    EXPECT_EQ(w.window->Tray().ShownImage(), 0);
    // A new day while suspended keeps the suspended picture.
    w.clock.Set(At(2026, 12, 10, 0, 0, 1));
    w.Cal().OnChangeCarrentDate(&w.Cal(), 2026, 12, 10);
    EXPECT_EQ(w.window->Tray().ShownImage(), 0);
    suspend->trigger();
    EXPECT_TRUE(w.Cal().FReminderActive);
    EXPECT_FALSE(suspend->isChecked());
    EXPECT_FALSE(traySuspend->isChecked());
    EXPECT_EQ(w.window->Tray().ShownImage(), 10);
}

TEST(FormMain, SettingsAreWrittenAtExitWithTheWindowsBounds) {
    StartedWindow w(At(2026, 12, 9, 15, 0));
    w.window->Settings().ProgOptions.StartOfWeek = 7;
    w.window.reset();
    const TvnSettings read = ReadSettings(TvnWindowPlacement{});
    EXPECT_EQ(read.ProgOptions.StartOfWeek, 7);
    EXPECT_GE(read.ProgOptions.WindowWidth, MinWindowWidth);
}

TEST(FormMain, AWindowOffEveryScreenOpensOnThePrimaryOneAtLeastTheSmallestSize) {
    ScopedClock clock(At(2026, 12, 9, 15, 0));
    DataFolderFixture data;
    {
        QFile f(SettingsFilePath());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(
            "[Application]\nWindowLeft=-9000\nWindowTop=-9000\nWindowWidth=200\n"
            "WindowHeight=100\n");
    }
    TFormMainVNCR window;
    ASSERT_TRUE(window.FormCreate());
    const QRect frame = window.frameGeometry();
    EXPECT_GE(frame.width(), MinWindowWidth);
    EXPECT_GE(frame.height(), MinWindowHeight);
    EXPECT_TRUE(QGuiApplication::primaryScreen()->availableGeometry().contains(frame.topLeft()));
}

TEST(FormMain, YearViewHidesTheMonthTabsTheAddCommandsAndTheMonthMoves) {
    StartedWindow w(At(2026, 12, 9, 15, 0));
    w.window->show();
    w.Action("mMenu_ViewYear")->trigger();
    EXPECT_EQ(w.Cal().ViewMode(), vmYear);
    EXPECT_TRUE(w.Action("pMenu_ViewYear")->isChecked());
    EXPECT_FALSE(w.Action("mMenu_ViewMonth")->isChecked());
    EXPECT_FALSE(w.window->findChild<QTabBar*>("tabControl_Months")->isVisible());
    EXPECT_FALSE(w.window->findChild<QMenu*>("mMenu_Add")->menuAction()->isVisible());
    EXPECT_FALSE(w.Action("pMenu_AddEvent")->isVisible());
    EXPECT_FALSE(w.Action("mMenu_MovePrevMonth")->isVisible());
    w.Action("mMenu_ViewDay")->trigger();
    EXPECT_EQ(w.Cal().ViewMode(), vmDay);
    EXPECT_TIME_EQ(std::trunc(w.Cal().CalendarDate()), At(2026, 12, 9));
    EXPECT_TRUE(w.window->findChild<QTabBar*>("tabControl_Months")->isVisible());
    EXPECT_FALSE(w.Action("mMenu_MoveNextMonth")->isVisible());
}

// The "Recurring Events" tab lists the shown year's recurring events; the
// panel's buttons add, edit and delete them through the command messages.
TEST(FormMain, RecurringEventsPanelListsAddsAndDeletes) {
    ScopedDialogScript script;
    StartedWindow w(At(2026, 12, 9, 15, 0));
    w.window->show();
    TvnEventParams weekly = EventRecord("Gym", At(2026, 3, 2, 18, 0));
    weekly.eType = etRecurring;
    weekly.Recurrence = rkWeekly;
    w.Cal().AddEvent(&weekly);
    auto* tabs = w.window->findChild<QTabBar*>("tabControl_Months");
    auto* list = w.window->findChild<QTreeWidget*>("listView_Events");
    tabs->setCurrentIndex(RecurringEventsTab);
    EXPECT_TRUE(w.window->findChild<QWidget*>("panel_Events")->isVisible());
    EXPECT_FALSE(w.window->findChild<QMenu*>("mMenu_Add")->menuAction()->isVisible());
    ASSERT_EQ(list->topLevelItemCount(), 1);
    EXPECT_EQ(list->topLevelItem(0)->text(0), "Gym");

    list->setCurrentItem(nullptr);
    w.window->findChild<QPushButton*>("btnEventDelete")->click();
    EXPECT_EQ(script.Texts(TDialogKind::Warning), QStringList{"No item has been selected!"});

    script.Modal([](QDialog& editor) {
        editor.findChild<QPlainTextEdit*>("memo_Desc")->setPlainText("Choir");
        editor.findChild<QPushButton*>("btnOK")->click();
    });
    w.window->findChild<QPushButton*>("btnEventAdd")->click();
    ASSERT_EQ(list->topLevelItemCount(), 2);
    EXPECT_EQ(list->topLevelItem(1)->text(0), "Choir");

    list->setCurrentItem(list->topLevelItem(0));
    w.window->findChild<QPushButton*>("btnEventDelete")->click();
    ASSERT_EQ(list->topLevelItemCount(), 1);
    tabs->setCurrentIndex(RecurringEventsTab - 1);  // back to the calendar, refilled on return
    tabs->setCurrentIndex(RecurringEventsTab);
    ASSERT_EQ(list->topLevelItemCount(), 1);
    EXPECT_EQ(list->topLevelItem(0)->text(0), "Choir");
    EXPECT_EQ(tabs->currentIndex(), RecurringEventsTab);
}

TEST(FormMain, CommandMessagesWithoutARecordDoNothing) {
    ScopedDialogScript script;
    StartedWindow w(At(2026, 12, 9, 15, 0));
    for (int message = WM_ADDEVENT; message <= WM_DELETENOTES; ++message) {
        EXPECT_EQ(w.window->SendMessage(message, 0, 0), 0) << message;
    }
    EXPECT_EQ(w.window->SendMessage(WM_SHOWVERSION, 0, 0), 1);
    EXPECT_EQ(script.Texts(TDialogKind::Information),
              QStringList{"Program version 2.0. Database version 2.0. Release date May 16, 2006"});
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

TEST(FormMainCommands, UsersMenuShowsTheUsersInUseAndSwitchesTheCalendar) {
    ScopedClock clock(At(2026, 12, 9, 15, 0));
    DataFolderFixture data;
    {
        QFile f(SettingsFilePath());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[Users]\nCurrUserID=0\nUserName_1=Anna\nUserState_1=1\n");
    }
    RecordingShell shell;
    RecordingSoundPlayer player;
    TFormMainVNCR window(shell, player);
    ASSERT_TRUE(window.FormCreate());
    auto* anna = window.findChild<QAction*>("mMenu_Users1");
    EXPECT_TRUE(anna->isVisible());
    EXPECT_EQ(anna->text(), "Anna");
    EXPECT_EQ(anna->property("Tag").toInt(), 1);
    EXPECT_FALSE(window.findChild<QAction*>("mMenu_Users2")->isVisible());
    anna->trigger();
    EXPECT_EQ(window.Settings().Users.CurrUserID, 1);
    EXPECT_EQ(window.Calendar()->CurrUser, 1);
    EXPECT_TRUE(anna->isChecked());
    EXPECT_FALSE(window.findChild<QAction*>("mMenu_UsersDefUser")->isChecked());
    TvnEventParams e = EventRecord("Anna's dentist", At(2026, 12, 10, 9, 0));
    window.Calendar()->AddEvent(&e);
    ASSERT_EQ(window.Calendar()->EventDrawList.size(), 1u);

    // A user removed in the users dialog loses the entry and the data.
    window.SelectUser(0);
    window.Settings().Users.UserStates[1] = usRemoved;
    window.UpdateUsersMenu();
    EXPECT_EQ(window.Settings().Users.UserStates[1], usFree);
    EXPECT_FALSE(anna->isVisible());
    window.SelectUser(1);
    EXPECT_TRUE(window.Calendar()->EventDrawList.empty());
}

TEST(FormMainCommands, WallpaperIsSetClearedAndKeepsItsPath) {
    ScopedDialogScript script;
    StartedWindow w(At(2026, 12, 9, 15, 0));
    const QString picture = w.data.dir.filePath("sea.bmp");
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(Qt::blue);
    ASSERT_TRUE(image.save(picture));
    script.ChooseFile(TDialogKind::OpenPicture, picture);
    w.Action("pMenu_SetWallp")->trigger();
    EXPECT_FALSE(w.Cal().Wallpaper().isNull());
    EXPECT_TRUE(w.window->Settings().ProgOptions.UseWallpaper);
    w.window->PopupMenu()->aboutToShow();
    EXPECT_TRUE(w.Action("pMenu_ClearWallp")->isEnabled());
    w.Action("pMenu_ClearWallp")->trigger();
    EXPECT_TRUE(w.Cal().Wallpaper().isNull());
    script.CancelFile(TDialogKind::OpenPicture);
    w.Action("pMenu_SetWallp")->trigger();
    EXPECT_TRUE(w.Cal().Wallpaper().isNull());
    EXPECT_EQ(w.window->Settings().ProgOptions.Wallpaper, picture);
    w.window->PopupMenu()->aboutToShow();
    EXPECT_FALSE(w.Action("pMenu_ClearWallp")->isEnabled());
}

TEST(FormMainCommands, AFileThatIsNoPictureIsRefusedAndTheWallpaperStays) {
    ScopedDialogScript script;
    StartedWindow w(At(2026, 12, 9, 15, 0));
    const QString picture = w.data.dir.filePath("sea.bmp");
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(Qt::blue);
    ASSERT_TRUE(image.save(picture));
    const QString text = w.data.dir.filePath("notes.jpg");
    QFile file(text);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not a picture");
    file.close();
    script.ChooseFile(TDialogKind::OpenPicture, picture);
    w.Action("pMenu_SetWallp")->trigger();
    script.ChooseFile(TDialogKind::OpenPicture, text);
    w.Action("pMenu_SetWallp")->trigger();
    EXPECT_EQ(
        script.Texts(TDialogKind::Warning),
        QStringList{QString("\"%1\" is not a picture. The wallpaper stays as it was.").arg(text)});
    EXPECT_EQ(w.window->Settings().ProgOptions.Wallpaper, picture);
    EXPECT_FALSE(w.Cal().Wallpaper().isNull());

    // The options dialog refuses it too, at Browse and at OK.
    TProgOptions options = w.window->Settings().ProgOptions;
    TFormOptions form(w.window.get(), &options, w.data.dir.path());
    script.ChooseFile(TDialogKind::OpenPicture, text);
    form.findChild<QPushButton*>("btnBrowse")->click();
    auto* path = form.findChild<QLineEdit*>("edit_Wallpaper");
    EXPECT_EQ(path->text(), picture);
    path->setText(text);
    form.findChild<QPushButton*>("btnOK")->click();
    EXPECT_EQ(script.Count(TDialogKind::Warning), 3);
    EXPECT_FALSE(options.Accepted);  // stays open with the good one back
    EXPECT_EQ(path->text(), picture);
    form.findChild<QPushButton*>("btnOK")->click();
    EXPECT_TRUE(options.Accepted);
    EXPECT_EQ(options.Wallpaper, picture);
}

// The reminder is held off while one of the program's dialogs is open.
TEST(FormMainCommands, AboutBoxRunsWithTheReminderDisabled) {
    ScopedDialogScript script;
    StartedWindow w(At(2026, 12, 9, 15, 0));
    bool enabledInside = true;
    script.Modal([&](QDialog& about) {
        enabledInside = w.Cal().FReminderEnabled;
        ASSERT_NE(about.findChild<QPushButton*>("btnOK"), nullptr);
        about.findChild<QPushButton*>("btnOK")->click();
    });
    w.window->TrayMenu()->actions().first()->trigger();  // the tray's About
    EXPECT_FALSE(enabledInside);
    EXPECT_TRUE(w.Cal().FReminderEnabled);
}

TEST(FormMainCommands, ExportEventsThenImportAMissingFile) {
    ScopedDialogScript script;
    StartedWindow w(At(2026, 12, 9, 15, 0));
    TvnEventParams e = EventRecord("Standup", At(2026, 12, 10, 9, 0));
    w.Cal().AddEvent(&e);
    const QString file = w.data.dir.filePath("events.edf");
    script.Modal([&](QDialog& form) {
        form.findChild<QLineEdit*>("edit_FileName")->setText(file);
        form.findChild<QRadioButton*>("rButton_SaveAsVef")->setChecked(true);
        form.findChild<QPushButton*>("btnOK")->click();
    });
    w.Action("mMenu_FileExportEvents")->trigger();
    EXPECT_EQ(script.Texts(TDialogKind::Information),
              QStringList{"Events data exported successfully."});
    EXPECT_TRUE(QFile::exists(file));

    script.Modal([&](QDialog& form) {
        form.findChild<QLineEdit*>("edit_FileName")->setText(file + ".gone");
        form.findChild<QPushButton*>("btnOK")->click();
    });
    w.Action("mMenu_FileImportEvents")->trigger();
    EXPECT_EQ(script.Texts(TDialogKind::Warning), QStringList{"Events data not imported!"});
    ASSERT_EQ(w.Cal().EventDrawList.size(), 1u);  // nothing lost, nothing added

    script.Modal([&](QDialog& form) {
        form.findChild<QLineEdit*>("edit_FileName")->setText(file);
        form.findChild<QPushButton*>("btnOK")->click();
    });
    w.Action("mMenu_FileImportEvents")->trigger();
    EXPECT_EQ(script.Texts(TDialogKind::Information).last(), "Events data imported successfully.");
    EXPECT_EQ(w.Cal().EventDrawList.size(), 2u);
}

// A later start shows a hidden window and the window then counts as shown,
// so that the next tray click hides it instead of showing it again.
TEST(FormMain, AnotherStartShowsTheHiddenWindowAndTheTrayClickThenHides) {
    StartedWindow w(At(2026, 12, 9, 15, 0));
    w.window->show();
    w.window->HideMainWindow();
    ASSERT_TRUE(w.window->Hidden());
    w.window->ShowForAnotherStart({});
    EXPECT_FALSE(w.window->Hidden());
    EXPECT_TRUE(w.window->isVisible() && !w.window->isMinimized());
    EXPECT_EQ(w.window->SendMessage(WM_TRAYICON, 0, WM_LBUTTONDOWN), 1);
    EXPECT_TRUE(w.window->Hidden());
    EXPECT_EQ(w.window->SendMessage(WM_TRAYICON, 0, 0x202), 1);  // a button release: nothing
    EXPECT_TRUE(w.window->Hidden());
}

TEST(FormMain, MinimizeAtRunHidesAtTheFirstPaintExceptOnTheFirstLoading) {
    for (const bool firstLoading : {false, true}) {
        ScopedClock clock(At(2026, 12, 9, 15, 0));
        DataFolderFixture data;
        {
            QFile f(SettingsFilePath());
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(QStringLiteral("[Application]\nFirstLoading=%1\nMinimizeAtRun=1\n")
                        .arg(firstLoading ? 1 : 0)
                        .toUtf8());
        }
        TFormMainVNCR window;
        ASSERT_TRUE(window.FormCreate());
        window.show();
        // The paint comes in one pass of the loop, the hiding in the next.
        for (int pass = 0; pass < 3; ++pass)
            QCoreApplication::processEvents();
        EXPECT_EQ(window.Hidden(), !firstLoading) << "FirstLoading " << firstLoading;
    }
}

TEST(FormMain, SessionEndWritesTheSettingsWhileTheProgramRuns) {
    StartedWindow w(At(2026, 12, 9, 15, 0));
    w.window->Settings().ProgOptions.ItemFontSize = 3;
    ASSERT_FALSE(QFile::exists(SettingsFilePath()));
    w.window->CommitData();
    EXPECT_EQ(ReadSettings(TvnWindowPlacement{}).ProgOptions.ItemFontSize, 3);
    EXPECT_TRUE(w.Cal().TableIsActive(tsEvents));  // still at work
}

TEST(FormMain, NextYearOnTheRecurringEventsTabShowsTheNewYear) {
    StartedWindow w(At(2026, 12, 9, 15, 0));
    w.window->show();
    auto* tabs = w.window->findChild<QTabBar*>("tabControl_Months");
    auto* year = w.window->findChild<QLabel*>("panel_EventsDate");
    tabs->setCurrentIndex(RecurringEventsTab);
    EXPECT_TRUE(year->text().isEmpty());
    EXPECT_TRUE(w.window->findChild<QLabel*>("label_Date")->text().isEmpty());
    EXPECT_FALSE(w.Action("mMenu_MoveNextMonth")->isEnabled());
    w.Action("mMenu_MoveNextYear")->trigger();
    EXPECT_EQ(year->text(), "2027");
    EXPECT_EQ(tabs->currentIndex(), RecurringEventsTab);
    tabs->setCurrentIndex(2);  // March of the shown year
    int y, m, d;
    DecodeDate(w.Cal().CalendarDate(), y, m, d);
    EXPECT_EQ(y, 2027);
    EXPECT_EQ(m, 3);
    EXPECT_TRUE(w.Action("mMenu_MoveNextMonth")->isEnabled());
    w.Action("mMenu_MoveNextMonth")->trigger();
    EXPECT_EQ(tabs->currentIndex(), 3);
    EXPECT_FALSE(w.window->findChild<QLabel*>("label_Date")->text().isEmpty());
}

// The File menu's maintenance commands close the tables, work on the file and
// give the calendar its tables back, with every row still there.
TEST(FormMain, PackAndBackupFromTheFileMenuKeepTheCalendarWorking) {
    StartedWindow w(At(2026, 12, 9, 15, 0));
    ASSERT_TRUE(w.started);
    TvnEventParams e = EventRecord("Kept", At(2026, 12, 10, 9, 0));
    w.Cal().AddEvent(&e);
    ScopedDialogScript script;
    w.Action("mMenu_FilePack")->trigger();
    const QString backup = w.data.dir.filePath("copy.vdbv2.bak");
    script.ChooseFile(TDialogKind::SaveFile, backup);
    w.Action("mMenu_FileBackup")->trigger();
    EXPECT_EQ(script.Texts(TDialogKind::Information).size(), 2);
    EXPECT_TRUE(script.Texts(TDialogKind::Error).isEmpty());
    EXPECT_TRUE(QFile::exists(backup));
    for (int i = 0; i < TableCount; ++i)
        EXPECT_TRUE(w.Cal().TableIsActive(i)) << "table " << i;
    w.Cal().UpdateCalendar();
    EXPECT_EQ(w.Cal().EventDrawList.size(), 1u);
}

// Clicking the program's task bar entry or tray while a dialog is open
// brings the dialog back, not the main window under it.
TEST(FormMain, ActivationBringsTheOpenDialogToTheFront) {
    StartedWindow w(At(2026, 12, 9, 15, 0));
    ASSERT_TRUE(w.started);
    w.window->show();
    QDialog dialog(w.window.get());
    dialog.setModal(true);
    dialog.show();
    w.window->activateWindow();
    QCoreApplication::processEvents();
    w.window->ApplicationActivated();
    QCoreApplication::processEvents();
    EXPECT_EQ(QApplication::activeWindow(), &dialog);
}

// Add > Event opens the editor for a one-time event, Add > Recurring event and
// the tool bar's New Event for a recurring one, on the shown date; OK stores it.
TEST(FormMain, AddMenuAndToolBarStoreTheKindOfEventTheyName) {
    struct Row {
        const char* action;
        int eType;
    };
    for (const Row r : {Row{"mMenu_AddEvent", etEvent}, Row{"mMenu_AddREvent", etRecurring},
                        Row{"ToolButton1", etRecurring}}) {
        ScopedDialogScript script;
        StartedWindow w(At(2026, 12, 9, 15, 0));
        w.window->show();
        int recurrenceShown = -1;
        script.Modal([&](QDialog& editor) {
            recurrenceShown = editor.findChild<QComboBox*>("cBox_Recurrence")->isVisibleTo(&editor);
            editor.findChild<QPlainTextEdit*>("memo_Desc")->setPlainText(r.action);
            editor.findChild<QPushButton*>("btnOK")->click();
        });
        if (auto* button = w.window->findChild<QToolButton*>(r.action))
            button->click();
        else
            w.Action(r.action)->trigger();
        EXPECT_EQ(recurrenceShown, r.eType == etRecurring) << r.action;
        TvnCalendarReminder& c = w.Cal();
        c.UpdateCalendar();
        ASSERT_EQ(c.EventDrawList.size(), 1u) << r.action;
        TvnEventParams stored;
        c.DataSet(tsEvents)->SetBookmark(c.EventDrawList[0].Bookmark);
        c.DBRecord_To_EventStruct(&stored);
        EXPECT_EQ(stored.eType, r.eType) << r.action;
        EXPECT_EQ(stored.Desc, r.action);
        EXPECT_TIME_EQ(std::trunc(stored.Date), At(2026, 12, 9));
    }
}
