#include "app/Uformmain.h"

#include <QActionGroup>
#include <QApplication>
#include <QGuiApplication>
#include <QIcon>
#include <QMenu>
#include <QScreen>
#include <QShortcut>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>

#include "app/AppInfo.h"
#include "app/Vnmaintenancecontroller.h"
#include "app/Vnprintcontroller.h"
#include "app/Vnsynccontroller.h"
#include "platform/Dialogs.h"
#include "platform/GuardedSlot.h"
#include "platform/Tray.h"
#include "reminder/Uresource.h"
#include "reminder/Vncalendarreminder.h"
#include "ui_Uformmain.h"

namespace {

// Pictures of the menus and the tool bar: the desktop theme's, else one of
// the style's own so that no button is blank.
struct TvnActionIcon {
    const char* Action;
    const char* ThemeName;
    QStyle::StandardPixmap Fallback;
};

constexpr TvnActionIcon ActionIcons[] = {
    {"mMenu_FileBackup", "document-save-as", QStyle::SP_DialogSaveButton},
    {"mMenu_FileRestore", "document-revert", QStyle::SP_BrowserReload},
    {"mMenu_FileImportData", "document-import", QStyle::SP_ArrowDown},
    {"mMenu_FilePack", "package-x-generic", QStyle::SP_DriveHDIcon},
    {"mMenu_FileImportEvents", "document-open", QStyle::SP_DialogOpenButton},
    {"mMenu_FileExportEvents", "document-save", QStyle::SP_DialogSaveButton},
    {"mMenu_FilePrint", "document-print", QStyle::SP_FileIcon},
    {"mMenu_FileSuspend", "media-playback-pause", QStyle::SP_MediaPause},
    {"mMenu_FileHide", "go-down", QStyle::SP_TitleBarMinButton},
    {"mMenu_FileExit", "application-exit", QStyle::SP_DialogCloseButton},
    {"mMenu_MoveToday", "go-jump-today", QStyle::SP_DialogApplyButton},
    {"mMenu_MovePrevYear", "go-first", QStyle::SP_MediaSkipBackward},
    {"mMenu_MovePrevMonth", "go-previous", QStyle::SP_ArrowLeft},
    {"mMenu_MoveNextMonth", "go-next", QStyle::SP_ArrowRight},
    {"mMenu_MoveNextYear", "go-last", QStyle::SP_MediaSkipForward},
    {"mMenu_ViewDay", "view-calendar-day", QStyle::SP_FileDialogDetailedView},
    {"mMenu_ViewWeek", "view-calendar-week", QStyle::SP_FileDialogListView},
    {"mMenu_ViewMonth", "view-calendar-month", QStyle::SP_FileDialogContentsView},
    {"mMenu_ViewYear", "view-calendar", QStyle::SP_DirIcon},
    {"mMenu_AddEvent", "appointment-new", QStyle::SP_FileDialogNewFolder},
    {"mMenu_AddREvent", "appointment-recurring", QStyle::SP_BrowserReload},
    {"mMenu_AddNotes", "document-new", QStyle::SP_FileIcon},
    {"mMenu_AddHoliday", "emblem-favorite", QStyle::SP_DialogYesButton},
    {"mMenu_ToolsFind", "edit-find", QStyle::SP_FileDialogContentsView},
    {"mMenu_ToolsTimeSpan", "accessories-calculator", QStyle::SP_ComputerIcon},
    {"mMenu_ToolsHolidays", "x-office-calendar", QStyle::SP_DirIcon},
    {"mMenu_ToolsOptions", "preferences-system", QStyle::SP_FileDialogInfoView},
    {"mMenu_UsersManagement", "system-users", QStyle::SP_DirHomeIcon},
    {"mMenu_UsersCalDav", "network-server", QStyle::SP_DriveNetIcon},
    {"mMenu_FileSyncNow", "view-refresh", QStyle::SP_BrowserReload},
    {"mMenu_HelpContents", "help-contents", QStyle::SP_DialogHelpButton},
    {"mMenu_HelpHomePage", "go-home", QStyle::SP_DirHomeIcon},
    {"mMenu_HelpAbout", "help-about", QStyle::SP_MessageBoxInformation},
    {"pMenu_AddEvent", "appointment-new", QStyle::SP_FileDialogNewFolder},
    {"pMenu_AddREvent", "appointment-recurring", QStyle::SP_BrowserReload},
    {"pMenu_AddNotes", "document-new", QStyle::SP_FileIcon},
    {"pMenu_EditItem", "document-properties", QStyle::SP_FileDialogDetailedView},
    {"pMenu_DeleteItem", "edit-delete", QStyle::SP_TrashIcon},
    {"pMenu_SetBColor", "format-fill-color", QStyle::SP_DialogApplyButton},
    {"pMenu_ClearBColor", "edit-clear", QStyle::SP_DialogResetButton},
    {"pMenu_SetWallp", "preferences-desktop-wallpaper", QStyle::SP_DesktopIcon},
    {"pMenu_ClearWallp", "edit-clear", QStyle::SP_DialogResetButton},
    {"pMenu_TryAbout", "help-about", QStyle::SP_MessageBoxInformation},
    {"pMenu_TrySuspend", "media-playback-pause", QStyle::SP_MediaPause},
    {"pMenu_TryShowHide", "window-restore", QStyle::SP_TitleBarNormalButton},
    {"pMenu_TryExit", "application-exit", QStyle::SP_DialogCloseButton},
};

// The tool bar's buttons by the actions they show, in the order of the bar.
constexpr const char* ToolButtons[][2] = {
    {"ToolButton1", "mMenu_AddREvent"},  {"ToolButton2", "mMenu_ToolsOptions"},
    {"ToolButton3", "mMenu_ToolsFind"},  {"ToolButton5", "mMenu_ViewDay"},
    {"ToolButton6", "mMenu_ViewWeek"},   {"ToolButton7", "mMenu_ViewMonth"},
    {"ToolButton8", "mMenu_ViewYear"},   {"ToolButton9", "mMenu_MovePrevYear"},
    {"ToolButton11", "mMenu_MoveToday"}, {"ToolButton10", "mMenu_MoveNextYear"},
};

}  // namespace

TFormMainVNCR::TFormMainVNCR(QWidget* parent)
    : QMainWindow(parent),
      ownShell_(std::make_unique<TDesktopShell>()),
      ownSound_(std::make_unique<TProcessSoundPlayer>()),
      shell_(*ownShell_),
      sound_(*ownSound_),
      desktop_(std::make_unique<TDBusNotifier>()) {
    CreateControls();
}

TFormMainVNCR::TFormMainVNCR(TShellOpener& shell, TSoundPlayer& sound, QWidget* parent)
    : QMainWindow(parent), shell_(shell), sound_(sound) {
    CreateControls();
}

TFormMainVNCR::~TFormMainVNCR() {
    if (FSettingsLoaded) WriteSettings();
    tray_->Hide();
    sync_.reset();
    // The control puts its tables back in order when it goes; it must go
    // while they still exist.
    delete ui->vnCalendarReminder;
    ui->vnCalendarReminder = nullptr;
    ADOConnection.Close();
}

TvnCalendarReminder* TFormMainVNCR::Calendar() const {
    return ui->vnCalendarReminder;
}

// The user entries of the Users menu by user number: the default user's
// entry, then "mMenu_Users1" to "mMenu_Users8". Each carries its number as Tag.
QAction* TFormMainVNCR::UserAction(int user) const {
    return findChild<QAction*>(user == DefaultUserID ? QStringLiteral("mMenu_UsersDefUser")
                                                     : QStringLiteral("mMenu_Users%1").arg(user));
}

void TFormMainVNCR::mMenu_UsersDefUserClick(const QObject* sender) {
    SelectUser(sender->property("Tag").toInt());
}

void TFormMainVNCR::CreateControls() {
    ui = std::make_unique<Ui::FormMainVNCR>();
    ui->setupUi(this);
    setWindowTitle(QStringLiteral("Vornel Pro"));
    setWindowIcon(QIcon::fromTheme(QStringLiteral("x-office-calendar"),
                                   style()->standardIcon(QStyle::SP_ComputerIcon)));
    // A client area of 792 x 516 below the menu bar, as the window first opened.
    resize(792, 516 + ui->mMenu->sizeHint().height());
    // Without settings the window opens in the middle of the primary screen.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    CreatePopupMenus();
    SetActionIcons();
    NameToolButtons();
    ui->tabControl_Months->setExpanding(false);
    ui->tabControl_Months->setDrawBase(true);
    ui->tabControl_Months->setUsesScrollButtons(true);
    SetupEventListView(ui->listView_Events,
                       {"Description", "Start Date/Time", "Run Date/Time", "End Date/Time",
                        "Notify", "Category", "Recurrence", "Action", "Sound", "Completed"});
    ConnectMenus();
    ConnectCommands();
    ConnectTools();
    ConnectCalendar();
    ConnectEventsPanel();
    FCurrentMonth = [] {
        int year, month, day;
        DecodeDate(Date(), year, month, day);
        return month;
    }();
    tray_ = new TTray(this);
    tray_->SetContextMenu(pMenu_Try_);
    connect(tray_, &TTray::Toggled, this,
            GuardedSlot([this] { SendMessage(WM_TRAYICON, 0, WM_LBUTTONDOWN); }));
    SetTrayIcon(-1);
    tray_->Show();
    CreateControllers();
    connect(qApp, &QGuiApplication::commitDataRequest, this,
            [this](QSessionManager&) { CommitData(); });
    connect(qApp, &QGuiApplication::applicationStateChanged, this,
            [this](Qt::ApplicationState state) {
                if (state == Qt::ApplicationActive) ApplicationActivated();
            });
}

void TFormMainVNCR::CreateControllers() {
    TvnCalendarReminder& calendar = *Calendar();
    auto settingsChanged = [this] { SettingsChanged(); };
    sync_ = std::make_unique<TvnSyncController>(
        calendar, settings_, this, [this](const QString& text) { ShowSyncStatus(text); },
        settingsChanged);
    maintenance_ = std::make_unique<TvnMaintenanceController>(
        calendar, [this] { CloseDatabase(); }, [this] { OpenDatabase(true); }, this);
    print_ = std::make_unique<TvnPrintController>(calendar, settings_.PrintOptions, this,
                                                  settingsChanged);
}

void TFormMainVNCR::CreatePopupMenus() {
    pMenu_ = new QMenu(this);
    pMenu_->setObjectName(QStringLiteral("pMenu"));
    pMenu_->addActions({ui->pMenu_AddEvent, ui->pMenu_AddREvent, ui->pMenu_AddNotes});
    pMenu_->addSeparator();
    pMenu_->addActions({ui->pMenu_EditItem, ui->pMenu_DeleteItem});
    pMenu_->addSeparator();
    pMenu_->addActions(
        {ui->pMenu_ViewDay, ui->pMenu_ViewWeek, ui->pMenu_ViewMonth, ui->pMenu_ViewYear});
    pMenu_->addSeparator();
    pMenu_->addActions({ui->pMenu_SetBColor, ui->pMenu_ClearBColor});
    pMenu_->addSeparator();
    pMenu_->addActions({ui->pMenu_SetWallp, ui->pMenu_ClearWallp});
    ui->vnCalendarReminder->PopupMenu = pMenu_;
    connect(pMenu_, &QMenu::aboutToShow, this, GuardedSlot(this, &TFormMainVNCR::pMenuPopup));

    // The tray's items run the main menu's handlers; Suspend is checked in
    // step with File > Suspend by SuspendClick.
    pMenu_Try_ = new QMenu(this);
    pMenu_Try_->setObjectName(QStringLiteral("pMenu_Try"));
    pMenu_Try_->addAction(ui->pMenu_TryAbout);
    pMenu_Try_->addSeparator();
    pMenu_Try_->addAction(ui->pMenu_TrySuspend);
    pMenu_Try_->addSeparator();
    pMenu_Try_->addActions({ui->pMenu_TryShowHide, ui->pMenu_TryExit});
}

void TFormMainVNCR::SetActionIcons() {
    for (const TvnActionIcon& entry : ActionIcons) {
        auto* action = findChild<QAction*>(QLatin1String(entry.Action));
        if (!action) continue;
        action->setIcon(QIcon::fromTheme(QLatin1String(entry.ThemeName),
                                         style()->standardIcon(entry.Fallback)));
    }
}

void TFormMainVNCR::NameToolButtons() {
    QWidget* previous = nullptr;
    for (const auto& [button, actionName] : ToolButtons) {
        auto* action = findChild<QAction*>(QLatin1String(actionName));
        if (QWidget* widget = ui->ToolBar1->widgetForAction(action)) {
            widget->setObjectName(QLatin1String(button));
            widget->setMinimumSize(73, 48);
            // Tab reaches the bar's buttons too, then the month tabs, the
            // calendar and the recurring-events panel.
            widget->setFocusPolicy(Qt::TabFocus);
            if (previous) setTabOrder(previous, widget);
            previous = widget;
        }
    }
    for (QWidget* next : std::initializer_list<QWidget*>{
             ui->tabControl_Months, ui->vnCalendarReminder, ui->listView_Events, ui->btnEventAdd,
             ui->btnEventEdit, ui->btnEventDelete}) {
        if (previous) setTabOrder(previous, next);
        previous = next;
    }
    // The arrow a narrow window shows for the bar's hidden buttons.
    if (auto* more = ui->ToolBar1->findChild<QToolButton*>(QStringLiteral("qt_toolbar_ext_button")))
        more->setAccessibleName(tr("More tool bar buttons"));
    // The tab bar's arrow keys scroll its tabs; its scroll buttons need no stop.
    for (QToolButton* scroll : ui->tabControl_Months->findChildren<QToolButton*>())
        scroll->setFocusPolicy(Qt::NoFocus);
    ui->vnCalendarReminder->setFocus();
}

void TFormMainVNCR::ConnectMenus() {
    auto on = [this](QAction* action, auto slot) {
        connect(action, &QAction::triggered, this, GuardedSlot(this, slot));
    };
    on(ui->mMenu_FileBackup, &TFormMainVNCR::mMenu_FileBackupClick);
    on(ui->mMenu_FileRestore, &TFormMainVNCR::mMenu_FileRestoreClick);
    on(ui->mMenu_FileImportData, &TFormMainVNCR::mMenu_FileImportDataClick);
    on(ui->mMenu_FileImportWindows, &TFormMainVNCR::mMenu_FileImportWindowsClick);
    on(ui->mMenu_FilePack, &TFormMainVNCR::mMenu_FilePackDBClick);
    on(ui->mMenu_FileImportEvents, &TFormMainVNCR::ImportEventsClick);
    on(ui->mMenu_FileExportEvents, &TFormMainVNCR::ExportEventsClick);
    on(ui->mMenu_FileExportIcs, &TFormMainVNCR::mMenu_FileExportIcsClick);
    on(ui->mMenu_FileImportIcs, &TFormMainVNCR::mMenu_FileImportIcsClick);
    on(ui->mMenu_FilePrint, &TFormMainVNCR::mMenu_FilePrintClick);
    on(ui->mMenu_FileSyncNow, &TFormMainVNCR::mMenu_FileSyncNowClick);
    on(ui->mMenu_UsersCalDav, &TFormMainVNCR::mMenu_UsersCalDavClick);
    on(ui->mMenu_FileSuspend, &TFormMainVNCR::SuspendClick);
    on(ui->pMenu_TrySuspend, &TFormMainVNCR::SuspendClick);
    on(ui->mMenu_FileHide, &TFormMainVNCR::ShowHideClick);
    on(ui->pMenu_TryShowHide, &TFormMainVNCR::ShowHideClick);
    on(ui->mMenu_FileExit, &TFormMainVNCR::ExitClick);
    on(ui->pMenu_TryExit, &TFormMainVNCR::ExitClick);
    auto run = [this](const QAction* action, auto body) {
        connect(action, &QAction::triggered, this, GuardedSlot(body));
    };
    run(ui->mMenu_MovePrevYear, [this] { MoveYear(-1); });
    run(ui->mMenu_MoveNextYear, [this] { MoveYear(1); });
    run(ui->mMenu_MovePrevMonth, [this] { MoveMonth(-1); });
    run(ui->mMenu_MoveNextMonth, [this] { MoveMonth(1); });
    const QAction* views[] = {ui->mMenu_ViewDay, ui->mMenu_ViewWeek, ui->mMenu_ViewMonth,
                              ui->mMenu_ViewYear};
    const QAction* popupViews[] = {ui->pMenu_ViewDay, ui->pMenu_ViewWeek, ui->pMenu_ViewMonth,
                                   ui->pMenu_ViewYear};
    // The bar's view buttons show the active view: one checked at a time.
    auto* viewGroup = new QActionGroup(this);
    run(ui->mMenu_MoveToday, [this] { MoveToday(); });
    for (int mode = 0; mode < 4; ++mode) {
        viewGroup->addAction(const_cast<QAction*>(views[mode]));
        run(views[mode], [this, mode] { ViewCommand(mode); });
        run(popupViews[mode], [this, mode] { SetView(mode); });
    }
}

void TFormMainVNCR::ConnectCommands() {
    auto on = [this](QAction* action, auto slot) {
        connect(action, &QAction::triggered, this, GuardedSlot(this, slot));
    };
    auto run = [this](const QAction* action, auto body) {
        connect(action, &QAction::triggered, this, GuardedSlot(body));
    };
    auto add = [run, this](const QAction* action, int origin) {
        run(action, [this, origin] { SendAddEvent(origin); });
    };
    add(ui->mMenu_AddEvent, aoEventOnCalendarDate);
    add(ui->mMenu_AddREvent, aoRecurringOnCalendarDate);
    add(ui->pMenu_AddEvent, aoEventOnSelectedDate);
    add(ui->pMenu_AddREvent, aoRecurringOnSelectedDate);
    run(ui->mMenu_AddNotes, [this] { SendAddNotes(aoNotesOnCalendarDate); });
    run(ui->pMenu_AddNotes, [this] { SendAddNotes(aoNotesOnSelectedDate); });
    on(ui->pMenu_EditItem, &TFormMainVNCR::EditSelectedItem);
    on(ui->pMenu_DeleteItem, &TFormMainVNCR::DeleteSelectedItem);
    on(ui->pMenu_SetBColor, &TFormMainVNCR::SetBColorClick);
    run(ui->pMenu_ClearBColor, [this] { Calendar()->DeleteBColor(); });
    on(ui->pMenu_SetWallp, &TFormMainVNCR::SetWallpaperClick);
    on(ui->pMenu_ClearWallp, &TFormMainVNCR::ClearWallpaperClick);
    on(ui->mMenu_UsersManagement, &TFormMainVNCR::mMenu_UsersManagementClick);
    on(ui->mMenu_ToolsOptions, &TFormMainVNCR::mMenu_ToolsOptionsClick);
    on(ui->mMenu_AddHoliday, &TFormMainVNCR::SendAddHoliday);
    on(ui->mMenu_ToolsHolidays, &TFormMainVNCR::mMenu_ToolsHolidaysClick);
    for (int user = 0; user < UsersCount; ++user) {
        QAction* action = UserAction(user);
        run(action, [this, action] { mMenu_UsersDefUserClick(action); });
    }
    on(ui->mMenu_HelpContents, &TFormMainVNCR::HelpContentsClick);
    on(ui->mMenu_HelpHomePage, &TFormMainVNCR::HomePageClick);
    on(ui->mMenu_HelpAbout, &TFormMainVNCR::AboutClick);
    on(ui->pMenu_TryAbout, &TFormMainVNCR::AboutClick);
    ConnectUndo();
}

void TFormMainVNCR::ConnectCalendar() {
    TvnCalendarReminder* c = Calendar();
    // Errors caught while painting are shown once the paint is over.
    c->OnError = [](TvnDrawCalendar*, const QString& text) { ShowUnhandledError(text); };
    c->OnChangeCalendarDate = [this](TvnDrawCalendar*, const QString& title, int year, int month,
                                     int) {
        vnCalendarReminderChangeCalendarDate(title, year, month);
    };
    c->OnChangeCarrentDate = [this](TvnDrawCalendar*, int, int month, int day) {
        vnCalendarReminderChangeCarrentDate(month, day);
    };
    c->OnDisplayCalendar = [this](TvnDrawCalendar*) { ShowMainWindow(); };
    c->OnMouseUp = [this](TvnDrawCalendar*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
        vnCalendarReminderMouseUp();
    };
    c->OnKeyDown = [this](TvnDrawCalendar*, int key, Qt::KeyboardModifiers) {
        vnCalendarReminderKeyDown(key);
    };
    c->OnBeforeFoundEvents = [this](TvnCalendarReminder*) {
        vnCalendarReminderBeforeFoundEvents();
    };
    c->OnAfterFoundEvents = [this](TvnCalendarReminder*) { vnCalendarReminderAfterFoundEvents(); };
}

void TFormMainVNCR::ConnectEventsPanel() {
    connect(ui->tabControl_Months, &QTabBar::currentChanged, this,
            [this](int index) { RunGuarded([&] { tabControl_MonthsChange(index); }); });
    auto click = [this](const QPushButton* button, void (TFormMainVNCR::*slot)()) {
        connect(button, &QPushButton::clicked, this, GuardedSlot(this, slot));
    };
    click(ui->btnEventAdd, &TFormMainVNCR::btnEventAddClick);
    click(ui->btnEventEdit, &TFormMainVNCR::btnEventEditClick);
    click(ui->btnEventDelete, &TFormMainVNCR::btnEventDeleteClick);
    connect(ui->listView_Events, &QTreeWidget::itemDoubleClicked, this,
            GuardedSlot(this, &TFormMainVNCR::btnEventEditClick));
    auto key = [this](Qt::Key k, void (TFormMainVNCR::*slot)()) {
        auto* shortcut = new QShortcut(QKeySequence(k), ui->listView_Events);
        shortcut->setContext(Qt::WidgetShortcut);
        connect(shortcut, &QShortcut::activated, this, GuardedSlot(this, slot));
    };
    key(Qt::Key_Insert, &TFormMainVNCR::btnEventAddClick);
    key(Qt::Key_Delete, &TFormMainVNCR::btnEventDeleteClick);
}

void TFormMainVNCR::MoveToday() {
    TvnCalendarReminder* c = Calendar();
    int year = 0, month = 0, day = 0;
    DecodeDate(c->CurrDate(), year, month, day);
    // From the recurring-events panel back to the calendar, on today's month.
    if (ui->tabControl_Months->currentIndex() == RecurringEventsTab)
        ui->tabControl_Months->setCurrentIndex(month - 1);
    c->SetFocusedDate(c->CurrDate());
}

void TFormMainVNCR::vnCalendarReminderKeyDown(int key) {
    TvnCalendarReminder* c = Calendar();
    if (key == Qt::Key_Delete) {
        if (c->ItemIsSelected()) DeleteSelectedItem();
        return;
    }
    if (key != Qt::Key_Return && key != Qt::Key_Enter) return;
    if (c->ViewMode() == vmYear) {
        // A day of the year view is no cell: Enter opens its month.
        ViewCommand(vmMonth);
        return;
    }
    // As a double click on the focused day, or on the selected item.
    if (!c->ItemIsSelected()) c->SelectedDate = c->FocusedDate();
    c->DblClicked = true;
    vnCalendarReminderMouseUp();
}
