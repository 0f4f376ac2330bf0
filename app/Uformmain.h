// The main window: owns the calendar control, the database and its four
// tables, the settings and the tray icon; runs the start sequence, hides to
// the tray, and carries out every command of its menus, tool bar and panels.
#pragma once

#include <QMainWindow>
#include <cstdint>
#include <functional>
#include <memory>

#include "app/Vnsettings.h"
#include "platform/DesktopNotifications.h"
#include "platform/Shell.h"
#include "platform/Sound.h"
#include "store/Adodb.h"
#include "store/Udbmanagement.h"

class QAction;
class QLabel;
class QMenu;
class QPrinter;
class TTray;
class TvnCalDavSync;
class TvnCalendarReminder;
class TvnMaintenanceController;
class TvnPrintController;
class TvnSyncController;
class TvnSyncScheduler;
struct TvnFindParams;
namespace Ui {
class FormMainVNCR;
}

// The window's command messages. Commands and dialogs hand records to the
// window through them; each answers 1 when it was carried out, else 0.
enum TvnCommandMessage : int {
    WM_USER = 0x0400,
    WM_TRAYICON = WM_USER + 1,  // lParam: the mouse message
    WM_SHOWVERSION = WM_USER + 2,
    WM_ADDEVENT = WM_USER + 3,  // wParam: origin; lParam: TvnEventParams*
    WM_EDITEVENT = WM_USER + 4,
    WM_DELETEEVENT = WM_USER + 5,
    WM_FINDEVENTS = WM_USER + 6,  // lParam: TvnFindParams*
    WM_ADDHOLIDAY = WM_USER + 7,  // lParam: TvnHolidayParams*
    WM_EDITHOLIDAY = WM_USER + 8,
    WM_DELETEHOLIDAY = WM_USER + 9,
    WM_ADDNOTES = WM_USER + 10,  // wParam: origin; lParam: TvnNotesParams*
    WM_EDITNOTES = WM_USER + 11,
    WM_DELETENOTES = WM_USER + 12,
};

// The record each command message carries, so that a message sent with
// another record type does not compile.
template <int Message>
struct TvnMessageRecord;
#define VORNEL_MESSAGE_RECORD(message, record) \
    template <>                                \
    struct TvnMessageRecord<message> {         \
        using Type = record;                   \
    }
VORNEL_MESSAGE_RECORD(WM_ADDEVENT, TvnEventParams);
VORNEL_MESSAGE_RECORD(WM_EDITEVENT, TvnEventParams);
VORNEL_MESSAGE_RECORD(WM_DELETEEVENT, TvnEventParams);
VORNEL_MESSAGE_RECORD(WM_FINDEVENTS, TvnFindParams);
VORNEL_MESSAGE_RECORD(WM_ADDHOLIDAY, TvnHolidayParams);
VORNEL_MESSAGE_RECORD(WM_EDITHOLIDAY, TvnHolidayParams);
VORNEL_MESSAGE_RECORD(WM_DELETEHOLIDAY, TvnHolidayParams);
VORNEL_MESSAGE_RECORD(WM_ADDNOTES, TvnNotesParams);
VORNEL_MESSAGE_RECORD(WM_EDITNOTES, TvnNotesParams);
VORNEL_MESSAGE_RECORD(WM_DELETENOTES, TvnNotesParams);
#undef VORNEL_MESSAGE_RECORD

// The tray's mouse messages in WM_TRAYICON.
constexpr intptr_t WM_LBUTTONDOWN = 0x201;
constexpr intptr_t WM_RBUTTONUP = 0x205;

// Origins of WM_ADDEVENT: which day and which kind of event. Any other value
// keeps eType and Date as the sender filled them.
enum TvnAddEventOrigin : int {
    aoEventOnSelectedDate = 0,
    aoEventOnCalendarDate = 1,
    aoRecurringOnSelectedDate = 2,
    aoRecurringOnCalendarDate = 3,
};
// Origins of WM_ADDNOTES: 0 the pressed day, anything else the shown date.
enum TvnAddNotesOrigin : int { aoNotesOnSelectedDate = 0, aoNotesOnCalendarDate = 1 };

constexpr int RecurringEventsTab = 12;
constexpr int MinWindowWidth = 550;
constexpr int MinWindowHeight = 425;

class TFormMainVNCR : public QMainWindow {
    Q_OBJECT

public:
    // Opens action files and plays sounds through the desktop.
    explicit TFormMainVNCR(QWidget* parent = nullptr);
    // Opens and plays through the given ones (not owned; they outlive the
    // window), so that tests can record what would be opened and heard.
    TFormMainVNCR(TShellOpener& shell, TSoundPlayer& sound, QWidget* parent = nullptr);
    // Writes the settings when the start sequence completed.
    ~TFormMainVNCR() override;

    // The start sequence; false when the database could not be opened (nor
    // restored): the program then ends without writing the settings.
    bool FormCreate();

    // The one dispatch of the command messages; lParam carries a record
    // pointer (or the tray's mouse message). A null record answers 0.
    int SendMessage(int message, intptr_t wParam, intptr_t lParam);
    // The typed road to it: SendRecord<WM_ADDEVENT>(&event, origin).
    template <int Message>
    int SendRecord(typename TvnMessageRecord<Message>::Type* record, intptr_t wParam = 0) {
        return SendMessage(Message, wParam, reinterpret_cast<intptr_t>(record));
    }

    bool OpenDatabase(bool showErrors);
    // Unbinds the four tables from the calendar and closes the connection,
    // so that the database file can be imported into, restored or packed.
    void CloseDatabase();
    void RunDataImport();
    // Imported series kept as single events go on as time passes.
    void ExtendImportedSeriesNow();
    // File > Import: the same data import the start-up offer runs.
    void mMenu_FileImportDataClick() { RunDataImport(); }
    // File > Import Windows calendar: the Windows version's database converted
    // into a file of the user's choosing.
    void mMenu_FileImportWindowsClick();
    void ApplyWindowSettings();
    void ApplyCalendarSettings();
    void ApplyWallpaper();
    void OfferDataImport();
    void UpdateUsersMenu();
    void SelectUser(int user);
    void ShowMainWindow();
    void HideMainWindow();
    void SetTrayIcon(int image);
    void WriteSettings();
    // Writes the settings now, after a confirmed change or when hiding.
    void SettingsChanged();
    // A later start of the program asked for the window: it is shown, and
    // counts as shown, so that the next tray click hides it.
    void ShowForAnotherStart(const QByteArray& activationToken);
    // The session is ending: the settings are written now.
    void CommitData();
    // The program became active (its task bar entry or tray was clicked):
    // an open dialog comes to the front rather than the window under it.
    void ApplicationActivated();

    void SendAddEvent(int origin);
    void SendAddNotes(int origin);
    void SendAddHoliday();
    void EditSelectedItem();
    void DeleteSelectedItem();
    // Takes the last deletion or change back (Edit > Undo, Ctrl+Z, the
    // status bar's link).
    void UndoClick();
    // Wires Edit > Undo and the status message to the calendar's data.
    void ConnectUndo();
    // Sends a copy of the selected event or notes with the message for its kind.
    template <int EventMessage, int NotesMessage>
    void SendSelectedItem();
    void SetView(int mode);
    void ShowEventsPanel(bool show);
    // options
    // Writes or removes the login start entry as RunAtWinStartup says.
    void UpdateStartupShortcut();

    TvnCalendarReminder* Calendar() const;
    TTray& Tray() const { return *tray_; }
    TvnSettings& Settings() { return settings_; }
    QMenu* PopupMenu() const { return pMenu_; }
    QMenu* TrayMenu() const { return pMenu_Try_; }
    bool Hidden() const { return FHidden; }
    bool SettingsLoaded() const { return FSettingsLoaded; }
    int CurrentMonth() const { return FCurrentMonth; }
    // printing
    // The printer the print command and its set-up use.
    QPrinter& Printer();
    // CalDAV synchronisation
    TvnCalDavSync& CalDavSync() const;
    TvnSyncScheduler& SyncScheduler() const;
    // The last synchronisation as the status bar shows it; empty before one.
    QString SyncStatusText() const;

protected:
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void CreateControls();
    // The synchronisation, maintenance and print controllers; the menus route to them.
    void CreateControllers();
    void CreatePopupMenus();
    void SetActionIcons();
    void NameToolButtons();
    void ConnectMenus();
    void ConnectCommands();
    void ConnectCalendar();
    void ConnectEventsPanel();
    void FillMonthTabs();
    void MarkCurrentMonthTab();
    TvnWindowPlacement Placement() const;

    // Commands.
    int AddEventMessage(int origin, TvnEventParams* params);
    int EditEventMessage(TvnEventParams* params);
    int DeleteEventMessage(TvnEventParams* params);
    int FindEventsMessage(const TvnFindParams* params);
    int ShowVersionMessage();
    int TrayMessage(intptr_t mouseMessage);
    bool RunEventEditor(TvnEventParams* params);
    // notes
    int AddNotesMessage(int origin, TvnNotesParams* params);
    int EditNotesMessage(TvnNotesParams* params);
    bool RunNotesEditor(TvnNotesParams* params);
    int RunModal(QDialog& dialog);
    // Runs a record's editor (with the edit state given) until the store
    // takes what it confirmed. A store the database refuses (a full disk, a
    // locked file) shows the error and opens the editor again on what the
    // user typed, so nothing typed is lost. 1 when stored; 0 when the user
    // left the editor without confirming.
    template <class Record, class C>
    int EditUntilStored(Record* record, uint8_t state, bool (TFormMainVNCR::*edit)(Record*),
                        void (C::*store)(Record*)) {
        for (;;) {
            record->EditState = state;
            if (!(this->*edit)(record)) return 0;
            if (TryStore([&] { (Calendar()->*store)(record); })) return 1;
        }
    }
    // False, with the error shown, when the database refused the store.
    bool TryStore(const std::function<void()>& store);
    // Drops a row a refused store left half-written, so that the next store
    // does not post it a second time.
    void CancelPendingEdits();
    void ViewCommand(int mode);
    void MoveYear(int count);
    void MoveMonth(int count);
    void SuspendClick();
    void ShowHideClick();
    void ExitClick();
    void mMenu_UsersManagementClick();
    QAction* UserAction(int user) const;
    // All nine user entries: the user numbered by the entry's Tag becomes current.
    void mMenu_UsersDefUserClick(const QObject* sender);
    void ImportEventsClick();
    void ExportEventsClick();
    // iCalendar
    void mMenu_FileExportIcsClick();
    void mMenu_FileImportIcsClick();
    void SetWallpaperClick();
    void ClearWallpaperClick();
    void SetBColorClick();
    void AboutClick();
    void HelpContentsClick();
    void HomePageClick();
    void pMenuPopup();
    void tabControl_MonthsChange(int index);
    void btnEventAddClick();
    void btnEventEditClick();
    void btnEventDeleteClick();
    void ResizeEventsColumns();
    // Calendar notifications.
    void vnCalendarReminderChangeCalendarDate(const QString& title, int year, int month);
    void vnCalendarReminderChangeCarrentDate(int month, int day);
    void vnCalendarReminderMouseUp();
    void vnCalendarReminderKeyDown(int key);
    void MoveToday();
    void vnCalendarReminderBeforeFoundEvents();
    void vnCalendarReminderAfterFoundEvents();
    // database maintenance
    void mMenu_FileBackupClick();
    void mMenu_FileRestoreClick();
    void mMenu_FilePackDBClick();
    // find and time span
    void ConnectTools();
    void mMenu_ToolsFindClick();
    void mMenu_ToolsTimeSpanClick();
    // printing
    void mMenu_FilePrintClick();
    // options
    void mMenu_ToolsOptionsClick();
    // holidays
    int AddHolidayMessage(TvnHolidayParams* params);
    int EditHolidayMessage(TvnHolidayParams* params);
    int DeleteHolidayMessage(TvnHolidayParams* params);
    bool RunHolidayEditor(TvnHolidayParams* params);
    void mMenu_ToolsHolidaysClick();
    // CalDAV synchronisation
    void mMenu_FileSyncNowClick();
    void mMenu_UsersCalDavClick();
    // The status bar's line and the tray's tip.
    void ShowSyncStatus(const QString& text);
    // A stored change of events: the synchronisation follows shortly.
    // Tells the synchronisation of a change (of the event, when one is named).
    int NoteEventsChange(int result, int eventId = 0);

    std::unique_ptr<Ui::FormMainVNCR> ui;
    TADOConnection ADOConnection;
    TCalendarTables tables_;
    TvnSettings settings_;
    std::unique_ptr<TShellOpener> ownShell_;
    std::unique_ptr<TSoundPlayer> ownSound_;
    TShellOpener& shell_;
    TSoundPlayer& sound_;
    // Due events on the desktop too; none for a window made with a test's shell and player.
    std::unique_ptr<TDesktopNotifier> desktop_;
    TTray* tray_ = nullptr;       // child object
    QMenu* pMenu_ = nullptr;      // child widget
    QMenu* pMenu_Try_ = nullptr;  // child widget
    bool FHidden = false;
    bool FSettingsErrorShown = false;  // a failed write was told; quiet until one succeeds
    bool FFirstPaintPending = true;
    bool FSettingsLoaded = false;
    bool FExiting = false;  // Exit was chosen: the close box no longer hides
    int FCurrentMonth = 1;
    // They use the calendar and the settings: made after them, the sync
    // controller dropped before the calendar goes.
    std::unique_ptr<TvnSyncController> sync_;
    std::unique_ptr<TvnMaintenanceController> maintenance_;
    std::unique_ptr<TvnPrintController> print_;
    QLabel* syncStatus_ = nullptr;  // in the status bar, made when first needed
    QLabel* undoStatus_ = nullptr;  // "Deleted "Dentist" — Undo", made when first needed
    void ShowUndoStatus(const QString& text);
};
