#include "app/Ucalendarwindow.h"
#include "store/Udbmanagement.h"

#include <QVBoxLayout>

#include "app/AppInfo.h"
#include "platform/Dialogs.h"
#include "reminder/Uformnotify.h"
#include "reminder/Vncalendarreminder.h"
#include "store/Datafolder.h"

TCalendarWindow::TCalendarWindow(QWidget* parent)
    : QWidget(parent),
      ownShell_(std::make_unique<TDesktopShell>()),
      ownSound_(std::make_unique<TMediaSoundPlayer>()),
      shell_(*ownShell_),
      sound_(*ownSound_) {
    CreateControls();
}

TCalendarWindow::TCalendarWindow(TShellOpener& shell, TSoundPlayer& sound, QWidget* parent)
    : QWidget(parent), shell_(shell), sound_(sound) {
    CreateControls();
}

void TCalendarWindow::CreateControls() {
    setWindowTitle(ProgramName);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    calendar_ = new TvnCalendarReminder(this);
    layout->addWidget(calendar_);
    // Errors caught while painting are shown once the paint is over.
    calendar_->OnError = [](TvnDrawCalendar*, const QString& text) { ShowUnhandledError(text); };
    calendar_->OnBeforeFoundEvents = [this](TvnCalendarReminder*) { ShowDueEvents(); };
    resize(900, 650);
}

void TCalendarWindow::ShowDueEvents() {
    calendar_->ReminderDisabled();
    auto* form = new TFormNotify(this, &calendar_->EventsList, shell_, sound_);
    ExecModal(*form);
    // The rows own the records, which the reminder still moves on after this
    // returns; the window goes once control is back in the event loop.
    form->deleteLater();
    calendar_->ReminderEnabled();
}

TCalendarWindow::~TCalendarWindow() {
    // The control puts its tables back in order when it goes; it must go
    // while they still exist.
    delete calendar_;
    calendar_ = nullptr;
    connection_.Close();
}

void TCalendarWindow::OpenDatabase(const QString& databasePath) {
    connection_.ConnectionString = DatabaseConnectionString(databasePath);
    connection_.Open();
    tables_ = OpenCalendarTables(connection_);
    for (int i = 0; i < TableCount; ++i)
        calendar_->SetDataSet(i, tables_[i].get());
    calendar_->SetCalendarDate(Date());
    calendar_->Activate();
}
