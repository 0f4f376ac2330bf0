#include "sync/Uformcaldavaccount.h"

#include <QPointer>

#include "platform/Dialogs.h"
#include "sync/Vncaldavaddress.h"
#include "ui_Uformcaldavaccount.h"

namespace {

QString CalendarText(const TvnCalDavCalendar& calendar) {
    const QString url = calendar.Url.toDisplayString();
    if (calendar.DisplayName.trimmed().isEmpty()) return url;
    return QStringLiteral("%1 (%2)").arg(calendar.DisplayName.trimmed(), url);
}

}  // namespace

TFormCalDavAccount::TFormCalDavAccount(QWidget* parent, const QString& userName,
                                       TvnCalDavAccount* account, QString* password,
                                       int* syncMinutes, TvnCalDavDiscover discover)
    : QDialog(parent),
      ui(std::make_unique<Ui::FormCalDavAccount>()),
      account_(account),
      password_(password),
      syncMinutes_(syncMinutes),
      discover_(std::move(discover)) {
    ui->setupUi(this);
    SetSingleBorderDialog(*this);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    setWindowTitle(QStringLiteral("CalDAV account of %1").arg(userName));
    LoadControls();
    connect(ui->btnTestConnection, &QPushButton::clicked, this,
            &TFormCalDavAccount::btnTestConnectionClick);
    connect(ui->btnRemoveBinding, &QPushButton::clicked, this,
            &TFormCalDavAccount::btnRemoveBindingClick);
    connect(ui->btnOK, &QPushButton::clicked, this, &TFormCalDavAccount::btnOKClick);
    connect(ui->btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

TFormCalDavAccount::~TFormCalDavAccount() = default;

void TFormCalDavAccount::LoadControls() {
    ui->edit_Server->setText(account_->Server);
    ui->edit_UserName->setText(account_->UserName);
    ui->edit_Password->setText(*password_);
    ui->spin_SyncMinutes->setValue(*syncMinutes_ >= 1 && *syncMinutes_ <= 1440 ? *syncMinutes_
                                                                               : 15);
    fingerprint_ = account_->Fingerprint;
    fingerprintServer_ = account_->Server;
    // The bound calendar stays chosen until a test lists the server's.
    if (!account_->Calendar.isEmpty()) {
        ui->comboBox_Calendar->addItem(account_->Calendar, account_->Calendar);
        ui->comboBox_Calendar->setCurrentIndex(0);  // a placeholder leaves it unselected
    }
    ui->btnRemoveBinding->setEnabled(!account_->Calendar.isEmpty());
}

// The address is stored in the database; the password goes to the secret
// store, as if typed into its field.
void TFormCalDavAccount::TakeUserInfo() {
    const QUrl url(ui->edit_Server->text().trimmed(), QUrl::StrictMode);
    if (!url.isValid() || url.userInfo().isEmpty()) return;
    if (!url.userName().isEmpty()) ui->edit_UserName->setText(url.userName());
    if (!url.password().isEmpty()) ui->edit_Password->setText(url.password());
    ui->edit_Server->setText(url.adjusted(QUrl::RemoveUserInfo).toString());
}

TvnCalDavEndpoint TFormCalDavAccount::Endpoint() const {
    TvnCalDavEndpoint at;
    at.Url = QUrl(ui->edit_Server->text().trimmed());
    at.UserName = ui->edit_UserName->text();
    at.Password = ui->edit_Password->text();
    // A certificate accepted for one server says nothing about another.
    if (ui->edit_Server->text().trimmed() == fingerprintServer_.trimmed())
        at.AcceptedFingerprint = fingerprint_;
    return at;
}

void TFormCalDavAccount::SetStatus(const QString& text) {
    ui->label_Status->setText(text);
}

void TFormCalDavAccount::btnTestConnectionClick() {
    TakeUserInfo();
    const QString problem = CalDavAddressProblem(ui->edit_Server->text());
    if (!problem.isEmpty()) return SetStatus(problem);
    if (!discover_) return SetStatus(QStringLiteral("The connection cannot be tested here."));
    const TvnCalDavEndpoint at = Endpoint();
    ui->btnTestConnection->setEnabled(false);
    SetStatus(QStringLiteral("Connecting to %1...").arg(at.Url.host()));
    QPointer<TFormCalDavAccount> self(this);
    discover_(at, [self](const TvnCalDavError& error, std::vector<TvnCalDavCalendar> found) {
        if (self) self->DiscoverDone(error, found);
    });
}

void TFormCalDavAccount::DiscoverDone(const TvnCalDavError& error,
                                      const std::vector<TvnCalDavCalendar>& found) {
    ui->btnTestConnection->setEnabled(true);
    if (!error.Failed()) {
        FillCalendars(found);
        return SetStatus(
            QStringLiteral("Connection works: %1 calendar(s) found.").arg(found.size()));
    }
    if (error.Fingerprint.isEmpty() || error.Fingerprint == Endpoint().AcceptedFingerprint)
        return SetStatus(error.Message);
    if (!AcceptCertificate(error))
        return SetStatus(QStringLiteral("The server's certificate was not accepted."));
    btnTestConnectionClick();
}

bool TFormCalDavAccount::AcceptCertificate(const TvnCalDavError& error) {
    const QString question =
        QStringLiteral(
            "This system does not trust the certificate of the server:\n\n%1\n\n"
            "SHA-256 fingerprint: %2\n\nAccept exactly this certificate for %3?")
            .arg(error.CertificateText, QString::fromLatin1(error.Fingerprint),
                 ui->edit_Server->text().trimmed());
    if (!Confirm(question, this)) return false;
    fingerprint_ = error.Fingerprint;
    fingerprintServer_ = ui->edit_Server->text().trimmed();
    return true;
}

void TFormCalDavAccount::FillCalendars(const std::vector<TvnCalDavCalendar>& found) {
    const QString chosen = ui->comboBox_Calendar->currentData().toString();
    ui->comboBox_Calendar->clear();
    for (const TvnCalDavCalendar& calendar : found)
        ui->comboBox_Calendar->addItem(CalendarText(calendar), calendar.Url.toString());
    const int kept = ui->comboBox_Calendar->findData(chosen);
    ui->comboBox_Calendar->setCurrentIndex(kept >= 0 ? kept : 0);
}

void TFormCalDavAccount::btnOKClick() {
    TakeUserInfo();
    const QString problem = CalDavAddressProblem(ui->edit_Server->text());
    if (!problem.isEmpty()) return ShowWarning(problem, this);
    const QString calendar = ui->comboBox_Calendar->currentData().toString();
    if (calendar.isEmpty())
        return ShowWarning(QStringLiteral("Choose a calendar: \"Test connection\" lists the "
                                          "calendars of the server."),
                           this);
    account_->Server = ui->edit_Server->text().trimmed();
    account_->UserName = ui->edit_UserName->text();
    account_->Calendar = QUrl(calendar).adjusted(QUrl::RemoveUserInfo).toString();
    account_->Fingerprint = Endpoint().AcceptedFingerprint;
    *password_ = ui->edit_Password->text();
    *syncMinutes_ = ui->spin_SyncMinutes->value();
    accept();
}

void TFormCalDavAccount::btnRemoveBindingClick() {
    account_->Calendar.clear();
    accept();
}
