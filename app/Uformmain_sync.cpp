// The main window's side of the CalDAV synchronisation: its two menu commands
// handed to the sync controller, and the status bar and tray tip that say how
// the last synchronisation ended.
#include <QLabel>
#include <QStatusBar>

#include "app/Uformmain.h"
#include "app/Vnsynccontroller.h"
#include "platform/Tray.h"

TvnCalDavSync& TFormMainVNCR::CalDavSync() const {
    return sync_->Engine();
}

TvnSyncScheduler& TFormMainVNCR::SyncScheduler() const {
    return sync_->Scheduler();
}

QString TFormMainVNCR::SyncStatusText() const {
    return sync_->StatusText();
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

int TFormMainVNCR::NoteEventsChange(int result, int eventId) {
    if (result && sync_) sync_->LocalChange(eventId);
    return result;
}

void TFormMainVNCR::mMenu_FileSyncNowClick() {
    sync_->SyncNow();
}

void TFormMainVNCR::mMenu_UsersCalDavClick() {
    sync_->EditAccount();
}
