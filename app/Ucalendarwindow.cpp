#include "app/Ucalendarwindow.h"
#include "store/Udbmanagement.h"

#include <QTimer>
#include <QVBoxLayout>

#include "app/AppInfo.h"
#include "platform/Dialogs.h"
#include "reminder/Uformnotify.h"
#include "reminder/Vncalendarreminder.h"
#include "store/Datafolder.h"

TCalendarWindow::TCalendarWindow(QWidget* parent) : QWidget(parent) {
    setWindowTitle(ProgramName);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    calendar_ = new TvnCalendarReminder(this);
    layout->addWidget(calendar_);
    // Errors caught while painting are shown once the paint is over.
    calendar_->OnError = [this](TvnDrawCalendar*, const QString& text) { ReportError(text); };
    calendar_->OnBeforeFoundEvents = [this](TvnCalendarReminder*) { ShowDueEvents(); };
    resize(900, 650);
}

void TCalendarWindow::ReportError(const QString& text) {
    // An error that repeats every second (a failing disk) must not stack one
    // box on another: while a box is open, further errors are not shown.
    if (errorShowing_) return;
    errorShowing_ = true;
    QTimer::singleShot(0, this, [this, text] {
        ShowError(text, this);
        errorShowing_ = false;
    });
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
