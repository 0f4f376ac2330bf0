// The main window's life cycle: the start sequence, the database, the
// settings, the window's place, the tray, hiding and the end of the run.
#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QTabBar>
#include <algorithm>

#include "app/Reminderpause.h"
#include "app/Uformmain.h"
#include "app/Vnsynccontroller.h"
#include "platform/DateFormat.h"
#include "platform/Dialogs.h"
#include "platform/Pictures.h"
#include "platform/SingleInstance.h"
#include "platform/Tray.h"
#include "reminder/Vncalendarreminder.h"
#include "store/Datafolder.h"
#include "store/Dbfiles.h"
#include "store/Jetconvert.h"
#include "store/Jetfiles.h"
#include "store/Uformimportdata.h"
#include "ui_Uformmain.h"

namespace {

// A frame whose title bar lies on a screen, so the user can grab it.
bool OnSomeScreen(const QRect& frame) {
    const QPoint titleBar(frame.left() + frame.width() / 2, frame.top() + 10);
    for (const QScreen* screen : QGuiApplication::screens())
        if (screen->availableGeometry().contains(titleBar)) return true;
    return false;
}

// A "DB.vdbv2" copied over from the Windows version is a Jet file. On Yes it
// is converted, the original kept beside it; on No, or when it cannot be
// converted, it stays as it was and the start goes on to the opening, which
// fails as with any database the program cannot open.
void OfferWindowsDatabaseConversion(QWidget* owner) {
    const QString path = DatabaseFilePath();
    if (!IsJetFile(path)) return;
    const QString kept = QFileInfo(KeptJetFilePath(ado::WriteTarget(path))).fileName();
    if (!Confirm(QStringLiteral("The database \"DB.vdbv2\" comes from the Windows version of "
                                "the program. Do you want to convert it for this version? The "
                                "original file is kept as \"%1\".")
                     .arg(kept),
                 owner))
        return;
    try {
        ConvertJetDatabaseInPlace(path);
    } catch (const EDatabaseError& e) {
        ShowError(QStringLiteral("The database could not be converted.\n\n") + e.Message(), owner);
    }
}

}  // namespace

bool TFormMainVNCR::FormCreate() {
    OfferWindowsDatabaseConversion(this);
    if (!OpenDatabase(true)) return false;
    settings_ = ::ReadSettings(Placement());
    ApplyWindowSettings();
    ApplyCalendarSettings();
    UpdateUsersMenu();
    SelectUser(-1);
    Calendar()->Activate();
    ExtendImportedSeriesNow();
    OfferDataImport();
    FSettingsLoaded = true;
    sync_->Start();
    return true;
}

bool TFormMainVNCR::OpenDatabase(bool showErrors) {
    try {
        ADOConnection.ConnectionString = DatabaseConnectionString(DatabaseFilePath());
        ADOConnection.Open();
        tables_ = OpenCalendarTables(ADOConnection);
        for (int i = 0; i < TableCount; ++i)
            Calendar()->SetDataSet(i, tables_[i].get());
        return true;
    } catch (const EDatabaseError&) {
        ADOConnection.Close();
    }
    if (showErrors) {
        ShowError(QStringLiteral("Database not found! Restore the database from a backup copy."),
                  this);
        TFileDialogOptions options;
        options.Filter = QStringLiteral("Vornel databases v2.0 (*.vdbv2.bak)|*.vdbv2.bak");
        options.InitialDir = DataFolder();
        const std::optional<QString> file = OpenFileDialog(options, this);
        if (file && RestoreDatabase(*file)) {
            ShowInformation(QStringLiteral("Database restored successfully."), this);
            return OpenDatabase(false);
        }
    }
    return false;
}

void TFormMainVNCR::CloseDatabase() {
    sync_->Stop();
    for (int i = 0; i < TableCount; ++i)
        Calendar()->SetDataSet(i, nullptr);
    tables_ = {};
    ADOConnection.Close();
}

void TFormMainVNCR::RunDataImport() {
    CloseDatabase();
    {
        TFormImportData form(this, settings_.ProgOptions.DataAreImported);
        RunModal(form);
    }
    OpenDatabase(true);
    Calendar()->UpdateCalendar();
    if (settings_.ProgOptions.DataAreImported) ui->mMenu_FileImportData->setVisible(false);
    SettingsChanged();
}

// The Windows version's database, wherever the user keeps it, converted into
// a file of the user's choosing, which File > Restore then makes the calendar.
void TFormMainVNCR::mMenu_FileImportWindowsClick() {
    TReminderPause pause(*Calendar());
    TFileDialogOptions source;
    source.Title = QStringLiteral("Windows Calendar Database");
    source.Filter =
        QStringLiteral("Windows version databases (*.vdbv2;*.vdb)|*.vdbv2;*.vdb|All files (*)|*");
    const std::optional<QString> from = OpenFileDialog(source, this);
    if (!from) return;
    TFileDialogOptions target;
    target.Title = QStringLiteral("Save the Converted Calendar");
    target.Filter = QStringLiteral("Vornel databases v2.0 (*.vdbv2.bak)|*.vdbv2.bak");
    target.DefaultExt = QStringLiteral("vdbv2.bak");
    target.InitialDir = DataFolder();
    target.FileName = QStringLiteral("Windows.vdbv2.bak");
    const std::optional<QString> to = SaveFileDialog(target, this);
    if (!to) return;
    if (ado::SameFile(*to, DatabaseFilePath()) || ado::SameFile(*to, *from)) {
        ShowError(QStringLiteral("Choose a new file for the converted calendar, not the database "
                                 "in use nor the Windows file."),
                  this);
        return;
    }
    try {
        ConvertJetDatabase(*from, *to);
    } catch (const EDatabaseError& e) {
        ShowError(QStringLiteral("The database could not be converted.\n\n") + e.Message(), this);
        return;
    }
    ShowInformation(QStringLiteral("The Windows calendar was converted into \"%1\". To use it as "
                                   "your calendar, choose File > Restore and pick this file.")
                        .arg(*to),
                    this);
}

// The size written is the size the next start gives resize(), the window's
// inside: written as the outer size, every start would add the window
// manager's frame to it. The corner is the frame's, as move() takes it.
TvnWindowPlacement TFormMainVNCR::Placement() const {
    TvnWindowPlacement p;
    p.State = isMaximized() ? 2 : isMinimized() ? 1 : 0;
    const bool normal = p.State == 0 || !normalGeometry().isValid();
    const QSize inner = normal ? size() : normalGeometry().size();
    p.Left = normal ? pos().x() : normalGeometry().left();
    p.Top = normal ? pos().y() : normalGeometry().top();
    p.Width = inner.width();
    p.Height = inner.height();
    return p;
}

void TFormMainVNCR::ApplyWindowSettings() {
    TProgOptions& o = settings_.ProgOptions;
    if (o.WindowState != 2) {
        QRect frame(o.WindowLeft, o.WindowTop, o.WindowWidth, o.WindowHeight);
        if (!OnSomeScreen(frame) || frame.width() < MinWindowWidth ||
            frame.height() < MinWindowHeight) {
            const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
            frame.setSize({std::max(frame.width(), MinWindowWidth),
                           std::max(frame.height(), MinWindowHeight)});
            frame.moveCenter(screen.center());
            frame.moveTopLeft(
                {std::max(frame.left(), screen.left()), std::max(frame.top(), screen.top())});
        }
        move(frame.topLeft());
        resize(frame.size());
    }
    if (o.WindowState == 2) setWindowState(Qt::WindowMaximized);
    if (o.WindowState == 1) setWindowState(Qt::WindowMinimized);
    if (!QFile::exists(OldDatabaseFilePath())) o.DataAreImported = true;
    ui->mMenu_FileImportData->setVisible(!o.DataAreImported);
    int year, day;
    DecodeDate(Date(), year, FCurrentMonth, day);
    FillMonthTabs();
}

void TFormMainVNCR::FillMonthTabs() {
    QTabBar* tabs = ui->tabControl_Months;
    const QSignalBlocker quiet(tabs);
    while (tabs->count() > 0)
        tabs->removeTab(0);
    for (const QString& name : FormatSettings().LongMonthNames)
        tabs->addTab(name);
    tabs->addTab(QStringLiteral("Recurring Events"));
    MarkCurrentMonthTab();
}

void TFormMainVNCR::MarkCurrentMonthTab() {
    const QIcon today =
        QIcon::fromTheme(QStringLiteral("go-today"), style()->standardIcon(QStyle::SP_ArrowRight));
    for (int i = 0; i < 12; ++i)
        ui->tabControl_Months->setTabIcon(i, i == FCurrentMonth - 1 ? today : QIcon());
}

void TFormMainVNCR::ApplyCalendarSettings() {
    const TProgOptions& o = settings_.ProgOptions;
    TvnCalendarReminder* c = Calendar();
    c->SetStartOfWeek(o.StartOfWeek);
    c->DisplayHolidays = o.DisplayHolidays;
    c->PaintCurrDate = o.PaintCurrDate;
    c->ShowGrid = o.ShowGrid;
    c->PaintWeekends = o.PaintWeekends;
    c->ColorGrid = o.ColorGrid;
    c->ColorWeekends = o.ColorWeekends;
    c->ColorCurrDay = o.ColorCurrDay;
    c->ColorFont = o.ColorFont;
    c->UseEventColors = o.UseEventColors;
    const TColor colors[] = {o.ColorMisc, o.ColorAnniv, o.ColorBirth, o.ColorSpec, o.ColorMeet};
    for (int i = 0; i < 5; ++i)
        c->SetEventColor(i, colors[i]);
    c->SetItemFontSize(o.ItemFontSize);
    c->DisplayTime = o.DisplayTime;
    c->SetCalendarDate(o.ShowCurrDate ? Date() : EncodeDate(o.YearView, o.MonthView, 1));
    ApplyWallpaper();
}

void TFormMainVNCR::ApplyWallpaper() {
    const TProgOptions& o = settings_.ProgOptions;
    if (!o.UseWallpaper) {
        Calendar()->SetWallpaper(QImage());
        return;
    }
    if (!QFile::exists(o.Wallpaper)) return;
    // A file that is no readable picture changes nothing, as a missing one.
    const QImage picture = LoadPicture(o.Wallpaper);
    if (picture.isNull()) return;
    Calendar()->WallpaperPos = o.WallpaperPos;
    Calendar()->SetWallpaper(picture);
}

void TFormMainVNCR::OfferDataImport() {
    const TProgOptions& o = settings_.ProgOptions;
    if (!o.FirstLoading || o.DataAreImported) return;
    if (Confirm(QStringLiteral("Database version 1.0 was found. Do you want to import data from "
                               "database v1.0 to the current database?"),
                this))
        RunDataImport();
}

void TFormMainVNCR::UpdateUsersMenu() {
    TvnUsers& users = settings_.Users;
    for (int n = 0; n < UsersCount; ++n) {
        QAction* action = UserAction(n);
        if (users.UserStates[n] == usRemoved) {
            users.UserStates[n] = usFree;
            // Its binding goes first: the deletion must not reach the server.
            sync_->RemoveAccount(n);
            Calendar()->DeleteDataOfUser(n);
        }
        action->setVisible(users.UserStates[n] == usInUse);
        if (users.UserStates[n] == usInUse && n != DefaultUserID)
            action->setText(users.UserNames[n]);
    }
}

void TFormMainVNCR::SelectUser(int user) {
    TvnUsers& users = settings_.Users;
    if (user != -1) users.CurrUserID = user;
    for (int n = 0; n < UsersCount; ++n)
        UserAction(n)->setChecked(n == users.CurrUserID);
    Calendar()->SetCurrUser(users.CurrUserID);
    if (user == -1) return;
    SettingsChanged();
    // Another user's calendar may be bound elsewhere: bring it up to date.
    NoteEventsChange(1);
}

void TFormMainVNCR::WriteSettings() {
    QString error;
    if (!::WriteSettings(settings_, Placement(), SettingsFilePath(), &error))
        ShowError(error, this);
}

// Written after every confirmed change too, so that a kill, a crash or a
// power cut keeps what the user chose. A file that cannot be written is
// told once, not at every change, until a write succeeds again.
void TFormMainVNCR::SettingsChanged() {
    if (!FSettingsLoaded) return;
    QString error;
    if (::WriteSettings(settings_, Placement(), SettingsFilePath(), &error)) {
        FSettingsErrorShown = false;
        return;
    }
    if (FSettingsErrorShown) return;
    FSettingsErrorShown = true;
    TReminderPause pause(*Calendar());
    ShowError(error, this);
}

void TFormMainVNCR::CommitData() {
    // Every stored row is already on disk (the database syncs each post), so
    // the connection stays open: a cancelled logout leaves a working program.
    WriteSettings();
}

void TFormMainVNCR::SetTrayIcon(int image) {
    if (image == 0) {
        tray_->SetSuspended(true);
        return;
    }
    tray_->SetSuspended(false);
    if (image == -1)
        tray_->SetDayFromClock();
    else
        tray_->SetDay(image);
}

void TFormMainVNCR::ShowMainWindow() {
    if (isMinimized())
        showNormal();
    else
        show();
    raise();
    activateWindow();
    FHidden = false;
}

void TFormMainVNCR::ShowForAnotherStart(const QByteArray& activationToken) {
    TSingleInstance::PrepareActivation(activationToken);
    ShowMainWindow();
}

void TFormMainVNCR::HideMainWindow() {
    SettingsChanged();
    // Without a tray a hidden window could not be found again.
    if (tray_->Available())
        hide();
    else
        showMinimized();
    FHidden = true;
}

void TFormMainVNCR::ShowHideClick() {
    if (FHidden)
        ShowMainWindow();
    else
        HideMainWindow();
}

void TFormMainVNCR::SuspendClick() {
    TvnCalendarReminder* c = Calendar();
    c->FReminderActive = !c->FReminderActive;
    ui->mMenu_FileSuspend->setChecked(!c->FReminderActive);
    ui->pMenu_TrySuspend->setChecked(!c->FReminderActive);
    SetTrayIcon(c->FReminderActive ? -1 : 0);
}

void TFormMainVNCR::ExitClick() {
    FExiting = true;
    close();
}

void TFormMainVNCR::closeEvent(QCloseEvent* event) {
    if (!FExiting) {
        event->ignore();
        HideMainWindow();
        return;
    }
    event->accept();
    QCoreApplication::quit();
}

void TFormMainVNCR::paintEvent(QPaintEvent* event) {
    QMainWindow::paintEvent(event);
    if (!FFirstPaintPending) return;
    FFirstPaintPending = false;
    const TProgOptions& o = settings_.ProgOptions;
    // Hidden once control is back in the loop: not from inside the paint.
    if (o.MinimizeAtRun && !o.FirstLoading)
        QMetaObject::invokeMethod(this, &TFormMainVNCR::HideMainWindow, Qt::QueuedConnection);
    // The start benchmark times a whole start to the first painted month;
    // the switch changes nothing else.
    // (exit, not quit: quit would first ask the window to close, which hides it.)
    if (qEnvironmentVariableIsSet("VORNEL_QUIT_AFTER_FIRST_PAINT"))
        QMetaObject::invokeMethod(
            qApp, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
}

void TFormMainVNCR::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    ResizeEventsColumns();
}

void TFormMainVNCR::vnCalendarReminderChangeCarrentDate(int month, int day) {
    FCurrentMonth = month;
    MarkCurrentMonthTab();
    // Not SetTrayIcon: a suspended reminder keeps its picture, so that the
    // icon never claims that reminders run.
    tray_->SetDay(day);
}

void TFormMainVNCR::ApplicationActivated() {
    QWidget* dialog = QApplication::activeModalWidget();
    if (!dialog || dialog == this) return;
    dialog->raise();
    dialog->activateWindow();
}
