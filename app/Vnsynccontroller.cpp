#include "app/Vnsynccontroller.h"

#include "app/Reminderpause.h"
#include "app/Vnsettings.h"
#include "app/Vnsyncscheduler.h"
#include "platform/Dialogs.h"
#include "platform/GuardedSlot.h"
#include "reminder/Vncalendarreminder.h"
#include "store/Adodb.h"
#include "sync/Uformcaldavaccount.h"
#include "sync/Vncaldavclient.h"
#include "sync/Vncaldavstore.h"
#include "sync/Vncaldavsync.h"
#include "sync/Vnpasswords.h"

TvnSyncController::TvnSyncController(TvnCalendarReminder& calendar, TvnSettings& settings,
                                     QWidget* owner, StatusSink showStatus,
                                     std::function<void()> settingsChanged)
    : calendar_(calendar),
      settings_(settings),
      owner_(owner),
      showStatus_(std::move(showStatus)),
      settingsChanged_(std::move(settingsChanged)),
      client_(std::make_unique<TvnCalDavClient>()),
      passwords_(std::make_unique<TvnCalDavPasswords>()),
      engine_(std::make_unique<TvnCalDavSync>(calendar.Data(), *client_)),
      scheduler_(std::make_unique<TvnSyncScheduler>()) {
    engine_->SetPasswordSource([this](const TvnCalDavAccount& account, auto done) {
        passwords_->Get(account, owner_, std::move(done));
    });
    // Not while a dialog is open: it may be editing an event the download
    // would change under it. The next trigger tries again.
    scheduler_->SetStart([this] {
        return calendar_.FReminderEnabled && engine_->Start(settings_.Users.CurrUserID);
    });
    Connect();
}

TvnSyncController::~TvnSyncController() {
    scheduler_->Stop();
    engine_.reset();
}

void TvnSyncController::Connect() {
    TvnSyncScheduler* scheduler = scheduler_.get();
    QObject::connect(engine_.get(), &TvnCalDavSync::Finished, scheduler,
                     [scheduler](const TvnCalDavSyncReport& r) {
                         scheduler->SyncFinished(!r.Failed(), r.Error, r.Ended, r.Notice);
                     });
    // The engine emits this in the middle of its run: an error escaping here
    // would keep the run from ever finishing.
    QObject::connect(engine_.get(), &TvnCalDavSync::EventsChanged, engine_.get(), [this](int user) {
        RunGuarded([&] {
            if (user == settings_.Users.CurrUserID) calendar_.UpdateCalendar();
        });
    });
    QObject::connect(scheduler, &TvnSyncScheduler::StatusChanged, scheduler,
                     [this](const QString& text) { showStatus_(text); });
}

sqlite3* TvnSyncController::Database() const {
    return calendar_.DataSet(tsEvents)->Connection()->Handle();
}

void TvnSyncController::Start() {
    scheduler_->SetIntervalMinutes(settings_.ProgOptions.SyncMinutes);
    scheduler_->ProgramStarted();
}

void TvnSyncController::Stop() {
    if (!engine_->Running()) return;
    engine_->Abort();
    scheduler_->SyncAborted();
}

void TvnSyncController::LocalChange(int eventId) {
    if (engine_) engine_->NoteLocalChange(eventId);
    scheduler_->LocalChange();
}

QString TvnSyncController::StatusText() const {
    return scheduler_->StatusText();
}

void TvnSyncController::SyncNow() {
    const int user = settings_.Users.CurrUserID;
    if (!calendar_.TableIsActive(tsEvents)) return;
    if (!ado::TCalDavStore(Database()).Account(user)) {
        TReminderPause pause(calendar_);
        ShowInformation(QStringLiteral("This user's calendar is not bound to a CalDAV server. "
                                       "Bind it through Users > CalDAV account..."),
                        owner_);
        return;
    }
    scheduler_->SyncNow();
}

void TvnSyncController::RemoveAccount(int user) {
    if (!calendar_.TableIsActive(tsEvents)) return;
    ado::TCalDavStore store(Database());
    if (const auto account = store.Account(user)) {
        passwords_->Forget(*account);
        store.RemoveAccount(user);
    }
}

void TvnSyncController::EditAccount() {
    const int user = settings_.Users.CurrUserID;
    if (!calendar_.TableIsActive(tsEvents)) return;
    ado::TCalDavStore store(Database());
    TvnCalDavAccount account = store.Account(user).value_or(TvnCalDavAccount{});
    account.UserID = user;
    const bool wasBound = !account.Calendar.isEmpty();
    QString password;
    int minutes = settings_.ProgOptions.SyncMinutes;
    auto discover = [this](const TvnCalDavEndpoint& at, auto done) {
        client_->Discover(at, std::move(done));
    };
    {
        TFormCalDavAccount form(owner_, settings_.Users.UserNames[user], &account, &password,
                                &minutes, discover);
        TReminderPause pause(calendar_);
        if (ExecModal(form) != QDialog::Accepted) return;
    }
    settings_.ProgOptions.SyncMinutes = minutes;
    settingsChanged_();
    scheduler_->SetIntervalMinutes(minutes);
    Stop();
    if (account.Calendar.isEmpty()) {
        if (wasBound) RemoveAccount(user);
        showStatus_(QString());
        return;
    }
    store.SaveAccount(account);
    // The field starts empty: left so for a bound account, the kept password stays.
    if (!password.isEmpty() || !wasBound) passwords_->Set(account, password);
    scheduler_->SyncNow();
}
