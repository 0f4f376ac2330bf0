// The main window's CalDAV synchronisation: the account dialog of the Users
// menu, File > "Synchronize now", the timing, and the status bar and tray
// tip that say how the last synchronisation ended.
#include <QLabel>
#include <QStatusBar>

#include "app/Reminderpause.h"
#include "app/Uformmain.h"
#include "app/Vnsyncscheduler.h"
#include "platform/Dialogs.h"
#include "platform/GuardedSlot.h"
#include "platform/Tray.h"
#include "reminder/Vncalendarreminder.h"
#include "sync/Uformcaldavaccount.h"
#include "sync/Vncaldavclient.h"
#include "sync/Vncaldavstore.h"
#include "sync/Vncaldavsync.h"
#include "sync/Vnpasswords.h"
#include "ui_Uformmain.h"

void TFormMainVNCR::CreateSync() {
    caldavClient_ = std::make_unique<TvnCalDavClient>();
    passwords_ = std::make_unique<TvnCalDavPasswords>();
    caldavSync_ = std::make_unique<TvnCalDavSync>(*Calendar(), *caldavClient_);
    caldavSync_->SetPasswordSource([this](const TvnCalDavAccount& account, auto done) {
        passwords_->Get(account, this, std::move(done));
    });
    syncScheduler_ = new TvnSyncScheduler(this);
    // Not while a dialog is open: it may be editing an event the download
    // would change under it. The next trigger tries again.
    syncScheduler_->SetStart([this] {
        return Calendar()->FReminderEnabled && caldavSync_->Start(settings_.Users.CurrUserID);
    });
    connect(caldavSync_.get(), &TvnCalDavSync::Finished, this,
            [this](const TvnCalDavSyncReport& r) {
                syncScheduler_->SyncFinished(!r.Failed(), r.Error, r.Ended, r.Notice);
            });
    // The engine emits this in the middle of its run: an error escaping here
    // would keep the run from ever finishing.
    connect(caldavSync_.get(), &TvnCalDavSync::EventsChanged, this, [this](int user) {
        RunGuarded([&] {
            if (user == settings_.Users.CurrUserID) Calendar()->UpdateCalendar();
        });
    });
    connect(syncScheduler_, &TvnSyncScheduler::StatusChanged, this, &TFormMainVNCR::ShowSyncStatus);
    connect(ui->mMenu_FileSyncNow, &QAction::triggered, this,
            GuardedSlot(this, &TFormMainVNCR::mMenu_FileSyncNowClick));
    connect(ui->mMenu_UsersCalDav, &QAction::triggered, this,
            GuardedSlot(this, &TFormMainVNCR::mMenu_UsersCalDavClick));
}

void TFormMainVNCR::StartSync() {
    syncScheduler_->SetIntervalMinutes(settings_.ProgOptions.SyncMinutes);
    syncScheduler_->ProgramStarted();
}

// Before the tables go (closing, restoring, packing): nothing may be
// half-stored, and the next run starts over.
void TFormMainVNCR::StopSync() {
    if (!caldavSync_ || !caldavSync_->Running()) return;
    caldavSync_->Abort();
    syncScheduler_->SyncAborted();
}

QString TFormMainVNCR::SyncStatusText() const {
    return syncScheduler_->StatusText();
}

void TFormMainVNCR::ShowSyncStatus(const QString& text) {
    if (!syncStatus_) {
        syncStatus_ = new QLabel(statusBar());
        syncStatus_->setObjectName(QStringLiteral("label_SyncStatus"));
        statusBar()->addWidget(syncStatus_, 1);
    }
    syncStatus_->setText(text);
    statusBar()->setVisible(!text.isEmpty());
    tray_->SetStatusLine(text);
}

int TFormMainVNCR::NoteEventsChange(int result) {
    if (result && syncScheduler_) syncScheduler_->LocalChange();
    return result;
}

void TFormMainVNCR::mMenu_FileSyncNowClick() {
    const int user = settings_.Users.CurrUserID;
    if (!Calendar()->TableIsActive(tsEvents)) return;
    if (!ado::TCalDavStore(tables_[tsEvents]->Connection()->Handle()).Account(user)) {
        TReminderPause pause(*Calendar());
        ShowInformation(QStringLiteral("This user's calendar is not bound to a CalDAV server. "
                                       "Bind it through Users > CalDAV account..."),
                        this);
        return;
    }
    syncScheduler_->SyncNow();
}

void TFormMainVNCR::RemoveCalDavAccount(int user) {
    if (!Calendar()->TableIsActive(tsEvents)) return;
    ado::TCalDavStore store(tables_[tsEvents]->Connection()->Handle());
    if (const auto account = store.Account(user)) {
        passwords_->Forget(*account);
        store.RemoveAccount(user);
    }
}

void TFormMainVNCR::mMenu_UsersCalDavClick() {
    const int user = settings_.Users.CurrUserID;
    if (!Calendar()->TableIsActive(tsEvents)) return;
    ado::TCalDavStore store(tables_[tsEvents]->Connection()->Handle());
    TvnCalDavAccount account = store.Account(user).value_or(TvnCalDavAccount{});
    account.UserID = user;
    const bool wasBound = !account.Calendar.isEmpty();
    QString password;
    int minutes = settings_.ProgOptions.SyncMinutes;
    auto discover = [this](const TvnCalDavEndpoint& at, auto done) {
        caldavClient_->Discover(at, std::move(done));
    };
    {
        TFormCalDavAccount form(this, settings_.Users.UserNames[user], &account, &password,
                                &minutes, discover);
        if (RunModal(form) != QDialog::Accepted) return;
    }
    settings_.ProgOptions.SyncMinutes = minutes;
    SettingsChanged();
    syncScheduler_->SetIntervalMinutes(minutes);
    StopSync();
    if (account.Calendar.isEmpty()) {
        if (wasBound) RemoveCalDavAccount(user);
        ShowSyncStatus(QString());
        return;
    }
    store.SaveAccount(account);
    // The field starts empty: left so for a bound account, the kept password stays.
    if (!password.isEmpty() || !wasBound) passwords_->Set(account, password);
    syncScheduler_->SyncNow();
}
