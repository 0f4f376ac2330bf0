// The CalDAV account of one user: server, user name and password, a test of
// the connection that lists the server's calendars, the calendar to bind to
// and how often to synchronise. It writes the caller's records only on OK or
// "Remove binding", and it sends nothing itself: discovery is the caller's.
// A user name and password typed into the address are moved to their fields,
// so that the stored address never holds the password.
//
// Wiring (the main window, for the current user):
//   TvnCalDavAccount account = store.Account(userId);  // may be unbound
//   QString password;  // passwords.Get(...) first, when bound
//   int minutes = settings.ProgOptions.SyncMinutes;
//   TFormCalDavAccount form(this, userName, &account, &password, &minutes,
//       [&](const TvnCalDavEndpoint& at, auto done) { client.Discover(at, std::move(done)); });
//   if (ExecModal(form) == QDialog::Accepted) {
//       if (account.Calendar.isEmpty()) { unbind; passwords.Forget(old account); }
//       else { store the binding; passwords.Set(account, password); }
//       settings.ProgOptions.SyncMinutes = minutes; scheduler.SetIntervalMinutes(minutes);
//   }
#pragma once

#include <QDialog>
#include <functional>
#include <memory>
#include <vector>

#include "sync/Vncaldavtypes.h"

namespace Ui {
class FormCalDavAccount;
}

// Looks for the calendars at the endpoint and calls back, once, later or at
// once. The callback may come after the dialog is gone; the dialog guards it.
using TvnCalDavDiscover =
    std::function<void(const TvnCalDavEndpoint&,
                       std::function<void(const TvnCalDavError&, std::vector<TvnCalDavCalendar>)>)>;

class TFormCalDavAccount : public QDialog {
    Q_OBJECT

public:
    // account, password and syncMinutes must outlive the dialog. OK writes all
    // three (a chosen calendar is required); "Remove binding" empties
    // account->Calendar and accepts, leaving the rest; Cancel writes nothing.
    TFormCalDavAccount(QWidget* parent, const QString& userName, TvnCalDavAccount* account,
                       QString* password, int* syncMinutes, TvnCalDavDiscover discover);
    ~TFormCalDavAccount() override;

private:
    void LoadControls();
    void TakeUserInfo();
    TvnCalDavEndpoint Endpoint() const;
    void btnTestConnectionClick();
    void DiscoverDone(const TvnCalDavError& error, const std::vector<TvnCalDavCalendar>& found);
    bool AcceptCertificate(const TvnCalDavError& error);
    void FillCalendars(const std::vector<TvnCalDavCalendar>& found);
    void SetStatus(const QString& text);
    void btnOKClick();
    void btnRemoveBindingClick();

    std::unique_ptr<Ui::FormCalDavAccount> ui;
    TvnCalDavAccount* account_;
    QString* password_;
    int* syncMinutes_;
    TvnCalDavDiscover discover_;
    // The certificate the user accepted, and for which server address.
    QByteArray fingerprint_;
    QString fingerprintServer_;
};
