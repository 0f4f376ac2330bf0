// The main window's commands: the command messages and their dispatch, the
// views, the month tabs and the recurring-events panel, and the menu entries.
#include <QCoreApplication>
#include <QCursor>
#include <QLabel>
#include <QStatusBar>
#include <QTabBar>
#include <QUrl>
#include <cmath>
#include <memory>

#include "app/Reminderpause.h"
#include "app/Uformabout.h"
#include "app/Uformmain.h"
#include "app/Uformoptions.h"
#include "app/Vnmaintenancecontroller.h"
#include "app/Vnmanual.h"
#include "app/Vnprintcontroller.h"
#include "platform/Colors.h"
#include "platform/Dialogs.h"
#include "platform/GuardedSlot.h"
#include "reminder/Uformeventoptions.h"
#include "reminder/Uformeventsexport.h"
#include "reminder/Uformeventsimport.h"
#include "reminder/Uformnotify.h"
#include "reminder/Uresource.h"
#include "reminder/Vncalendarreminder.h"
#include "store/Datafolder.h"
#include "store/Uformusers.h"
#include "ui_Uformmain.h"

namespace {

constexpr int EventColumnWidths[EventListColumnCount] = {100, 100, 100, 100, 50,
                                                         75,  75,  50,  50,  50};

}  // namespace

int TFormMainVNCR::SendMessage(int message, intptr_t wParam, intptr_t lParam) {
    if (message == WM_TRAYICON) return TrayMessage(lParam);
    if (message == WM_SHOWVERSION) return ShowVersionMessage();
    void* record = reinterpret_cast<void*>(lParam);
    if (!record) return 0;
    switch (message) {
        case WM_ADDEVENT:
            return NoteEventsChange(
                AddEventMessage(static_cast<int>(wParam), static_cast<TvnEventParams*>(record)));
        case WM_EDITEVENT:
            return NoteEventsChange(EditEventMessage(static_cast<TvnEventParams*>(record)),
                                    static_cast<TvnEventParams*>(record)->ID);
        case WM_DELETEEVENT:
            return NoteEventsChange(DeleteEventMessage(static_cast<TvnEventParams*>(record)),
                                    static_cast<TvnEventParams*>(record)->ID);
        case WM_FINDEVENTS:
            return FindEventsMessage(static_cast<const TvnFindParams*>(record));
        case WM_ADDHOLIDAY:
            return AddHolidayMessage(static_cast<TvnHolidayParams*>(record));
        case WM_EDITHOLIDAY:
            return EditHolidayMessage(static_cast<TvnHolidayParams*>(record));
        case WM_DELETEHOLIDAY:
            return DeleteHolidayMessage(static_cast<TvnHolidayParams*>(record));
        case WM_ADDNOTES:
            return AddNotesMessage(static_cast<int>(wParam), static_cast<TvnNotesParams*>(record));
        case WM_EDITNOTES:
            return EditNotesMessage(static_cast<TvnNotesParams*>(record));
        case WM_DELETENOTES:
            Calendar()->DeleteNotes(static_cast<TvnNotesParams*>(record));
            return 1;
        default:
            return 0;
    }
}

int TFormMainVNCR::TrayMessage(intptr_t mouseMessage) {
    if (mouseMessage == WM_LBUTTONDOWN) ShowHideClick();
    if (mouseMessage == WM_RBUTTONUP) pMenu_Try_->popup(QCursor::pos());
    return 1;
}

int TFormMainVNCR::ShowVersionMessage() {
    ShowInformation(
        QStringLiteral("Program version 2.0. Database version 2.0. Release date May 16, 2006"),
        this);
    return 1;
}

int TFormMainVNCR::AddEventMessage(int origin, TvnEventParams* p) {
    const TvnCalendarReminder* c = Calendar();
    const bool selected = origin == aoEventOnSelectedDate || origin == aoRecurringOnSelectedDate;
    if (origin >= aoEventOnSelectedDate && origin <= aoRecurringOnCalendarDate) {
        p->eType = origin < aoRecurringOnSelectedDate ? etEvent : etRecurring;
        const TDateTime day = std::trunc(selected ? c->SelectedDate : c->CalendarDate());
        p->Date = day + Time();
    }
    const TProgOptions& o = settings_.ProgOptions;
    // A new event: everything else as a fresh record has it.
    TvnEventParams fresh;
    fresh.eType = p->eType;
    fresh.Date = p->Date;
    fresh.EndDate = p->Date + 1;
    fresh.UseStartTime = true;
    fresh.Action_File = o.DefAction;
    fresh.Sound_File = o.DefSound;
    *p = fresh;
    return EditUntilStored(p, esNew, &TFormMainVNCR::RunEventEditor,
                           &TvnCalendarReminder::AddEvent);
}

int TFormMainVNCR::EditEventMessage(TvnEventParams* p) {
    return EditUntilStored(p, esEdit, &TFormMainVNCR::RunEventEditor,
                           &TvnCalendarReminder::EditEvent);
}

int TFormMainVNCR::DeleteEventMessage(TvnEventParams* p) {
    Calendar()->DeleteEvent(p);
    return 1;
}

int TFormMainVNCR::FindEventsMessage(const TvnFindParams* p) {
    Calendar()->FindEvents(*p);
    return 1;
}

bool TFormMainVNCR::RunEventEditor(TvnEventParams* p) {
    TFormEventOptions form(this, p, DataFolder());
    RunModal(form);
    return p->EditState == esAccepted;
}

int TFormMainVNCR::RunModal(QDialog& dialog) {
    TReminderPause pause(*Calendar());
    return ExecModal(dialog);
}

bool TFormMainVNCR::TryStore(const std::function<void()>& store) {
    try {
        store();
        return true;
    } catch (const EDatabaseError& error) {
        CancelPendingEdits();
        TReminderPause pause(*Calendar());
        ShowError(error.Message(), this);
        return false;
    }
}

void TFormMainVNCR::CancelPendingEdits() {
    for (const auto& table : tables_)
        if (table) table->Cancel();
}

void TFormMainVNCR::SendAddEvent(int origin) {
    TvnEventParams params;
    SendRecord<WM_ADDEVENT>(&params, origin);
}

void TFormMainVNCR::SendAddNotes(int origin) {
    TvnNotesParams params;
    SendRecord<WM_ADDNOTES>(&params, origin);
}

void TFormMainVNCR::SendAddHoliday() {
    TvnHolidayParams params;
    SendRecord<WM_ADDHOLIDAY>(&params);
}

void TFormMainVNCR::EditSelectedItem() {
    SendSelectedItem<WM_EDITEVENT, WM_EDITNOTES>();
}

void TFormMainVNCR::DeleteSelectedItem() {
    SendSelectedItem<WM_DELETEEVENT, WM_DELETENOTES>();
}

template <int EventMessage, int NotesMessage>
void TFormMainVNCR::SendSelectedItem() {
    TvnCalendarReminder* c = Calendar();
    // Copies: the dialog must not work on the control's own selection, which
    // a repaint may refill.
    if (c->SelEvent.ID != -1) {
        TvnEventParams event = c->SelEvent;
        SendRecord<EventMessage>(&event);
    } else if (c->SelNotes.ID != -1) {
        TvnNotesParams notes = c->SelNotes;
        SendRecord<NotesMessage>(&notes);
    }
}

void TFormMainVNCR::ViewCommand(int mode) {
    // The new view opens on the focused day: the day last pressed, reached
    // with the keys, or the date a move went to.
    Calendar()->SelectedDate = Calendar()->FocusedDate();
    SetView(mode);
}

void TFormMainVNCR::SetView(int mode) {
    TvnCalendarReminder* c = Calendar();
    c->SetViewMode(mode);
    // The checks follow the view the calendar shows, also when it refused
    // to switch.
    const int shown = c->ViewMode();
    QAction* views[] = {ui->mMenu_ViewDay, ui->mMenu_ViewWeek, ui->mMenu_ViewMonth,
                        ui->mMenu_ViewYear};
    QAction* popupViews[] = {ui->pMenu_ViewDay, ui->pMenu_ViewWeek, ui->pMenu_ViewMonth,
                             ui->pMenu_ViewYear};
    for (int i = 0; i < 4; ++i) {
        views[i]->setChecked(i == shown);
        popupViews[i]->setChecked(i == shown);
    }
    const bool notYear = shown != vmYear;
    ui->tabControl_Months->setVisible(notYear);
    ui->mMenu_Add->menuAction()->setVisible(notYear);
    for (QAction* a :
         {ui->pMenu_AddEvent, ui->pMenu_AddREvent, ui->pMenu_AddNotes, ui->pMenu_EditItem,
          ui->pMenu_DeleteItem, ui->pMenu_SetBColor, ui->pMenu_ClearBColor})
        a->setVisible(notYear);
    ui->mMenu_MovePrevMonth->setVisible(shown == vmMonth);
    ui->mMenu_MoveNextMonth->setVisible(shown == vmMonth);
}

void TFormMainVNCR::ShowEventsPanel(bool show) {
    ui->stack_Client->setCurrentWidget(show ? ui->panel_Events
                                            : static_cast<QWidget*>(ui->vnCalendarReminder));
    ui->mMenu_Add->menuAction()->setVisible(!show);
    ui->mMenu_MovePrevMonth->setEnabled(!show);
    ui->mMenu_MoveNextMonth->setEnabled(!show);
    if (!show) return;
    ui->label_Date->clear();
    ResizeEventsColumns();
    TvnCalendarReminder* c = Calendar();
    c->SelectEvents();
    FillEventListView(ui->listView_Events, c->TakeEventsList());
}

void TFormMainVNCR::ResizeEventsColumns() {
    QTreeWidget* list = ui->listView_Events;
    for (int i = 1; i < EventListColumnCount; ++i)
        list->setColumnWidth(i, EventColumnWidths[i]);
    list->setColumnWidth(0, std::max(100, list->viewport()->width() - 650));
}

void TFormMainVNCR::tabControl_MonthsChange(int index) {
    if (index < 0) return;
    if (index == RecurringEventsTab) {
        ShowEventsPanel(true);
        return;
    }
    ShowEventsPanel(false);
    Calendar()->SetDateElement(deMonth, index + 1);
}

void TFormMainVNCR::MoveYear(int count) {
    Calendar()->ChangeDate(deYear, count);
    if (ui->tabControl_Months->currentIndex() == RecurringEventsTab) ShowEventsPanel(true);
}

void TFormMainVNCR::MoveMonth(int count) {
    // 255: the unit of the current view.
    Calendar()->ChangeDate(255, count);
}

void TFormMainVNCR::vnCalendarReminderChangeCalendarDate(const QString& title, int year,
                                                         int month) {
    QTabBar* tabs = ui->tabControl_Months;
    if (tabs->currentIndex() == RecurringEventsTab) {
        ui->panel_EventsDate->setText(QString::number(year));
        return;
    }
    const QSignalBlocker quiet(tabs);
    tabs->setCurrentIndex(month - 1);
    ui->label_Date->setText(title);
}

void TFormMainVNCR::vnCalendarReminderMouseUp() {
    TvnCalendarReminder* c = Calendar();
    const bool doubleClicked = c->DblClicked && c->ViewMode() != vmYear;
    c->DblClicked = false;
    if (!doubleClicked) return;
    if (c->ItemIsSelected())
        EditSelectedItem();
    else
        SendAddEvent(aoEventOnSelectedDate);
}

void TFormMainVNCR::vnCalendarReminderBeforeFoundEvents() {
    TReminderPause pause(*Calendar());
    auto* form = new TFormNotify(this, Calendar()->TakeEventsList(), shell_, sound_, desktop_.get(),
                                 settings_.ProgOptions.SnoozeMinutes);
    ExecModal(*form);
    settings_.ProgOptions.SnoozeMinutes = form->SnoozeMinutes();
    Calendar()->SnoozedEvents = form->Snoozed();
    SettingsChanged();
    // The window goes once control is back in the event loop.
    form->deleteLater();
}

void TFormMainVNCR::vnCalendarReminderAfterFoundEvents() {
    if (ui->tabControl_Months->currentIndex() == RecurringEventsTab) ShowEventsPanel(true);
}

void TFormMainVNCR::btnEventAddClick() {
    auto event = std::make_unique<TvnEventParams>();
    if (SendRecord<WM_ADDEVENT>(event.get(), aoRecurringOnCalendarDate) == 1)
        ui->listView_Events->addTopLevelItem(new TvnEventListItem(std::move(event)));
}

void TFormMainVNCR::btnEventEditClick() {
    QTreeWidgetItem* item = ui->listView_Events->currentItem();
    TvnEventParams* event = TvnEventListItem::EventOf(item);
    if (!event) {
        ShowWarning(QStringLiteral("No item has been selected!"), this);
        return;
    }
    if (SendRecord<WM_EDITEVENT>(event) == 1) static_cast<TvnEventListItem*>(item)->Refresh();
}

void TFormMainVNCR::btnEventDeleteClick() {
    QTreeWidgetItem* item = ui->listView_Events->currentItem();
    TvnEventParams* event = TvnEventListItem::EventOf(item);
    if (!event) {
        ShowWarning(QStringLiteral("No item has been selected!"), this);
        return;
    }
    if (SendRecord<WM_DELETEEVENT>(event) == 1) delete item;
}

void TFormMainVNCR::pMenuPopup() {
    TvnCalendarReminder* c = Calendar();
    ui->pMenu_ClearBColor->setEnabled(c->CanClearCell());
    ui->pMenu_ClearWallp->setEnabled(settings_.ProgOptions.UseWallpaper);
    ui->pMenu_EditItem->setEnabled(c->ItemIsSelected());
    ui->pMenu_DeleteItem->setEnabled(c->ItemIsSelected());
}

void TFormMainVNCR::SetBColorClick() {
    if (const std::optional<QColor> colour = ColourDialog(Qt::white, this))
        Calendar()->UpdateBColor(static_cast<int>(ColorFromQColor(*colour)));
}

void TFormMainVNCR::SetWallpaperClick() {
    TFileDialogOptions options;
    options.Filter = QStringLiteral(
        "All (*.jpg;*.jpeg;*.bmp)|*.jpg;*.jpeg;*.bmp|JPEG Image File (*.jpg)|*.jpg|JPEG Image File "
        "(*.jpeg)|*.jpeg|Bitmaps (*.bmp)|*.bmp");
    options.InitialDir = DataFolder();
    const std::optional<QString> file = OpenPictureDialog(options, this);
    if (!file) return;
    // A file that is no picture would be stored and lose the good one.
    if (RefusedWallpaperFile(*file, this)) return;
    settings_.ProgOptions.UseWallpaper = true;
    settings_.ProgOptions.Wallpaper = *file;
    ApplyWallpaper();
    SettingsChanged();
}

void TFormMainVNCR::ClearWallpaperClick() {
    settings_.ProgOptions.UseWallpaper = false;
    ApplyWallpaper();
    SettingsChanged();
}

void TFormMainVNCR::mMenu_UsersManagementClick() {
    TvnUsers& users = settings_.Users;
    bool changed;
    {
        TReminderPause pause(*Calendar());
        changed = TFormUsers::EditUsers(this, users.UserNames, users.UserStates, users.CurrUserID);
    }
    if (!changed) return;
    UpdateUsersMenu();
    SelectUser(-1);
    SettingsChanged();
}

void TFormMainVNCR::ImportEventsClick() {
    TvnImportParams params;
    {
        TFormEventsImport form(this, &params, DataFolder());
        RunModal(form);
    }
    if (!params.Accepted) return;
    if (Calendar()->ImportEvents(params)) {
        ShowInformation(QStringLiteral("Events data imported successfully."), this);
        Calendar()->UpdateCalendar();
        NoteEventsChange(1);
    } else {
        ShowWarning(QStringLiteral("Events data not imported!"), this);
    }
}

void TFormMainVNCR::ExportEventsClick() {
    TvnExportParams params;
    {
        TFormEventsExport form(this, &params, DataFolder());
        RunModal(form);
    }
    if (!params.Accepted) return;
    if (Calendar()->ExportEvents(params))
        ShowInformation(QStringLiteral("Events data exported successfully."), this);
    else
        ShowWarning(QStringLiteral("Events data not exported!"), this);
}

void TFormMainVNCR::AboutClick() {
    TFormAbout form(this);
    RunModal(form);
}

void TFormMainVNCR::HelpContentsClick() {
    const QString manual = FindManual(QCoreApplication::applicationDirPath());
    if (manual.isEmpty())
        ShowWarning(QStringLiteral("The manual of Vornel was not found. It is installed with the "
                                   "program as share/vornel/manual/index.html."),
                    this);
    else if (!shell_.OpenFile(manual))
        ShowWarning(QStringLiteral("The manual could not be opened: %1").arg(manual), this);
}

void TFormMainVNCR::HomePageClick() {
    const QUrl page = ManualStartPage(QCoreApplication::applicationDirPath());
    if (page.isEmpty())
        HelpContentsClick();  // says where the manual belongs
    else
        shell_.OpenUrl(page);
}

void TFormMainVNCR::mMenu_FileBackupClick() {
    maintenance_->Backup();
}

void TFormMainVNCR::mMenu_FileRestoreClick() {
    maintenance_->Restore();
}

void TFormMainVNCR::mMenu_FilePackDBClick() {
    maintenance_->Pack();
}

QPrinter& TFormMainVNCR::Printer() {
    return print_->Printer();
}

void TFormMainVNCR::mMenu_FilePrintClick() {
    print_->Print();
}

// ---- taking back the last deletion or change

void TFormMainVNCR::ConnectUndo() {
    connect(ui->mMenu_EditUndo, &QAction::triggered, this,
            GuardedSlot(this, &TFormMainVNCR::UndoClick));
    TvnCalendarData& data = Calendar()->Data();
    data.OnUndoChanged = [this, &data] {
        ui->mMenu_EditUndo->setEnabled(data.CanUndo());
        ShowUndoStatus(data.CanUndo() ? data.UndoText() : QString());
    };
}

void TFormMainVNCR::UndoClick() {
    TvnCalendarData& data = Calendar()->Data();
    if (!data.CanUndo()) return;
    const bool event = data.UndoKind() == TvnUndoRecord::ukEvent;
    if (!TryStore([&data] { data.Undo(); })) return;
    if (event) NoteEventsChange(1);
    if (ui->tabControl_Months->currentIndex() == RecurringEventsTab) ShowEventsPanel(true);
}

void TFormMainVNCR::ShowUndoStatus(const QString& text) {
    if (!undoStatus_) {
        undoStatus_ = new QLabel(statusBar());
        undoStatus_->setObjectName(QStringLiteral("label_UndoStatus"));
        undoStatus_->setTextFormat(Qt::RichText);
        statusBar()->addWidget(undoStatus_);
        connect(undoStatus_, &QLabel::linkActivated, this,
                GuardedSlot(this, &TFormMainVNCR::UndoClick));
    }
    undoStatus_->setVisible(!text.isEmpty());
    undoStatus_->setText(text.isEmpty()
                             ? QString()
                             : QStringLiteral("%1 \u2014 <a href=\"undo\">Undo</a> (Ctrl+Z)")
                                   .arg(text.toHtmlEscaped()));
    const bool syncShown = syncStatus_ && !syncStatus_->text().isEmpty();
    statusBar()->setVisible(!text.isEmpty() || syncShown);
}
