#include "sync/Vncaldavhttp.h"

#include <QAuthenticator>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QSslCertificate>
#include <QSslError>
#include <QTimer>

#include "sync/Vncaldavclient.h"

namespace {

constexpr int kMaxRedirects = 5;

QString Seconds(int ms) {
    const QString n = QString::number(ms / 1000.0, 'g', 3);
    return ms == 1000 ? QStringLiteral("1 second") : n + QStringLiteral(" seconds");
}

QString Size(qint64 bytes) {
    constexpr qint64 mb = 1024 * 1024;
    if (bytes % mb == 0) return QStringLiteral("%1 MB").arg(bytes / mb);
    return QStringLiteral("%1 bytes").arg(bytes);
}

// "503 Service Unavailable"; HTTP/2 has no reason phrases.
QString Answered(int status, const QString& reason) {
    return (QString::number(status) + QLatin1Char(' ') + reason).trimmed();
}

QString CommonName(const QStringList& names) {
    return names.isEmpty() ? QStringLiteral("(none)") : names.join(QStringLiteral(", "));
}

// What the user needs to decide whether to trust this one certificate.
QString DescribeCertificate(const QSslCertificate& cert, const QByteArray& fingerprint) {
    return QStringLiteral("Issued to: %1\nIssued by: %2\nValid from %3 to %4\nSHA-256: %5")
        .arg(CommonName(cert.subjectInfo(QSslCertificate::CommonName)),
             CommonName(cert.issuerInfo(QSslCertificate::CommonName)),
             cert.effectiveDate().toString(Qt::ISODate), cert.expiryDate().toString(Qt::ISODate),
             QString::fromLatin1(fingerprint));
}

TvnCalDavError Failure(const QString& message, int status = 0) {
    TvnCalDavError error;
    error.Message = message;
    error.Status = status;
    return error;
}

}  // namespace

QString DavElsewhere(const QUrl& target, const QUrl& origin) {
    return QStringLiteral(
               "The server named an address on another server (%1); the password "
               "is given only to %2.")
        .arg(target.toDisplayString(QUrl::RemoveUserInfo), CalDavOrigin(origin));
}

// One request and its reply; deleted once answered or dropped.
class TvnDavExchange : public QObject {
public:
    TvnDavExchange(QObject* parent, const TvnCalDavEndpoint& who, qint64 maxBody,
                   TvnDavHttp::Done done)
        : QObject(parent), who_(who), maxBody_(maxBody), done_(std::move(done)) {}
    ~TvnDavExchange() override { Drop(); }

    void Start(QNetworkAccessManager* net, const TvnDavRequest& request, int timeoutMs,
               int deadlineMs);
    void FailLater(const QString& message);
    void Authenticate(QAuthenticator* auth);

private:
    void Drop();
    void Fail(const TvnCalDavError& error);
    void PassDeadline(int deadlineMs);
    void SendCurrent();
    QString RedirectRefusal(const QUrl& target);
    bool Redirect(int status);
    void OnSslErrors(const QList<QSslError>& errors);
    void OnData();
    void OnFinished();
    TvnCalDavError ReplyError() const;
    void Finish(const TvnDavAnswer& answer);

    TvnCalDavEndpoint who_;
    qint64 maxBody_;
    TvnDavHttp::Done done_;
    QNetworkAccessManager* net_ = nullptr;
    TvnDavRequest request_;
    QPointer<QNetworkReply> reply_;
    std::vector<QPointer<QNetworkReply>> spent_;  // redirected
    QByteArray body_;
    TvnCalDavError failure_;
    int timeoutMs_ = 30000;
    int redirects_ = 0;
    QList<QUrl> visited_;
    bool authTried_ = false;
    bool finished_ = false;
};

// The deadline covers the whole exchange, redirects included: the transfer
// timeout alone restarts with every byte, so a server trickling its answer
// would hold the synchronisation for ever.
void TvnDavExchange::Start(QNetworkAccessManager* net, const TvnDavRequest& r, int timeoutMs,
                           int deadlineMs) {
    net_ = net;
    request_ = r;
    timeoutMs_ = timeoutMs;
    QTimer::singleShot(deadlineMs, this, [this, deadlineMs] { PassDeadline(deadlineMs); });
    SendCurrent();
}

void TvnDavExchange::PassDeadline(int deadlineMs) {
    if (finished_ || !reply_) return;
    Fail(Failure(QStringLiteral("The server did not finish its answer within %1.")
                     .arg(Seconds(deadlineMs))));
}

// Redirects are followed here rather than by Qt, so that every target is
// vetted before anything is sent to it.
void TvnDavExchange::SendCurrent() {
    const TvnDavRequest& r = request_;
    // Qt would take a user name and password in the address as credentials.
    QNetworkRequest request(r.Url.adjusted(QUrl::RemoveUserInfo));
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    request.setTransferTimeout(timeoutMs_);
    request.setHeader(QNetworkRequest::UserAgentHeader, QByteArrayLiteral("Vornel"));
    if (!who_.UserName.isEmpty()) {
        const QByteArray pair = (who_.UserName + QLatin1Char(':') + who_.Password).toUtf8();
        request.setRawHeader("Authorization", "Basic " + pair.toBase64());
    }
    if (!r.Depth.isEmpty()) request.setRawHeader("Depth", r.Depth);
    if (!r.ContentType.isEmpty()) request.setRawHeader("Content-Type", r.ContentType);
    for (const auto& [name, value] : r.Headers)
        request.setRawHeader(name, value);
    reply_ = net_->sendCustomRequest(request, r.Method, r.Body);
    reply_->setParent(this);
    connect(reply_, &QNetworkReply::sslErrors, this, &TvnDavExchange::OnSslErrors);
    connect(reply_, &QNetworkReply::metaDataChanged, this, &TvnDavExchange::OnData);
    connect(reply_, &QNetworkReply::readyRead, this, &TvnDavExchange::OnData);
    connect(reply_, &QNetworkReply::finished, this, &TvnDavExchange::OnFinished);
}

void TvnDavExchange::FailLater(const QString& message) {
    failure_ = Failure(message);
    Finish(TvnDavAnswer{failure_, 0, {}, {}});
}

// Qt asks when the credentials sent up front were not taken; one more try
// with the same ones, then the 401 stands.
void TvnDavExchange::Authenticate(QAuthenticator* auth) {
    if (authTried_ || who_.UserName.isEmpty()) return;
    authTried_ = true;
    auth->setUser(who_.UserName);
    auth->setPassword(who_.Password);
}

void TvnDavExchange::Drop() {
    done_ = nullptr;
    for (QNetworkReply* reply : spent_)
        delete reply;
    spent_.clear();
    if (!reply_) return;
    QObject::disconnect(reply_, nullptr, this, nullptr);
    reply_->abort();
    delete reply_;
}

void TvnDavExchange::Fail(const TvnCalDavError& error) {
    if (!failure_.Failed()) failure_ = error;
    if (reply_) reply_->abort();  // finished follows at once
}

// The refusal of the redirect to the target; empty when it may be followed.
QString TvnDavExchange::RedirectRefusal(const QUrl& target) {
    QString why;
    const bool again = visited_.contains(target);
    visited_ << request_.Url << target;
    if (++redirects_ > kMaxRedirects || again)
        return QStringLiteral("The server redirected too many times.");
    if (request_.Url.scheme() == QLatin1String("https") &&
        target.scheme() != QLatin1String("https"))
        return QStringLiteral("The server redirected from https to plain http (%1).")
            .arg(target.toDisplayString());
    if (!CalDavAddressAllowed(target, &why))
        return QStringLiteral("The server redirected to an address that is refused: %1").arg(why);
    if (!CalDavSameOrigin(target, who_.Url))
        return QStringLiteral(
                   "The server redirected to another server (%1); the password is "
                   "given only to %2.")
            .arg(target.toDisplayString(QUrl::RemoveUserInfo), CalDavOrigin(who_.Url));
    return {};
}

// True when the reply was a redirect, followed now or refused.
bool TvnDavExchange::Redirect(int status) {
    static const QList<int> redirects = {301, 302, 303, 307, 308};
    const QByteArray location = reply_->rawHeader("Location");
    if (failure_.Failed() || !redirects.contains(status) || location.isEmpty()) return false;
    const QUrl target = request_.Url.resolved(QUrl::fromEncoded(location));
    const QString refusal = RedirectRefusal(target);
    if (!refusal.isEmpty()) {
        Finish(TvnDavAnswer{Failure(refusal), 0, {}, {}});
        return true;
    }
    QObject::disconnect(reply_, nullptr, this, nullptr);
    spent_.push_back(reply_);  // still inside its signal: deleted with the exchange
    body_.clear();
    if (status == 303) request_ = {"GET", target, {}, {}, {}, {}};
    request_.Url = target;
    SendCurrent();
    return true;
}

void TvnDavExchange::OnSslErrors(const QList<QSslError>& errors) {
    QSslCertificate cert = reply_->sslConfiguration().peerCertificate();
    if (cert.isNull() && !errors.isEmpty()) cert = errors.first().certificate();
    const QByteArray fingerprint = cert.digest(QCryptographicHash::Sha256).toHex();
    if (!cert.isNull() && !who_.AcceptedFingerprint.isEmpty() &&
        fingerprint == who_.AcceptedFingerprint.toLower()) {
        reply_->ignoreSslErrors(errors);
        return;
    }
    QStringList reasons;
    for (const QSslError& error : errors)
        reasons << error.errorString();
    TvnCalDavError error = Failure(QStringLiteral("The server's certificate is not trusted: %1.")
                                       .arg(reasons.join(QStringLiteral("; "))));
    error.Fingerprint = fingerprint;
    error.CertificateText = DescribeCertificate(cert, fingerprint) + QStringLiteral("\nReasons: ") +
                            reasons.join(QStringLiteral("; "));
    Fail(error);
}

// Reads as the answer arrives, so that no more than the cap is ever held.
void TvnDavExchange::OnData() {
    if (failure_.Failed() || !reply_ || !reply_->isOpen()) return;
    const qint64 announced = reply_->header(QNetworkRequest::ContentLengthHeader).toLongLong();
    body_ += reply_->readAll();
    if (announced > maxBody_ || body_.size() > maxBody_) {
        body_.clear();
        Fail(Failure(QStringLiteral("The server's answer is larger than %1.").arg(Size(maxBody_))));
    }
}

TvnCalDavError TvnDavExchange::ReplyError() const {
    const int status = reply_->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QString reason =
        reply_->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString().trimmed();
    if (status == 401)
        return Failure(QStringLiteral("The server refused the user name or password."), status);
    if (status >= 400)
        return Failure(QStringLiteral("The server answered %1.").arg(Answered(status, reason)),
                       status);
    switch (reply_->error()) {
        case QNetworkReply::NoError:
            break;
        case QNetworkReply::OperationCanceledError:
        case QNetworkReply::TimeoutError:
            return Failure(
                QStringLiteral("The server did not answer within %1.").arg(Seconds(timeoutMs_)));
        default:
            return Failure(status ? QStringLiteral("The connection to the server broke off: %1.")
                                        .arg(reply_->errorString())
                                  : QStringLiteral("The server could not be reached: %1.")
                                        .arg(reply_->errorString()));
    }
    if (status >= 300 || status < 200)
        return Failure(QStringLiteral("The server answered %1.").arg(Answered(status, reason)),
                       status);
    return {};
}

void TvnDavExchange::OnFinished() {
    OnData();
    TvnDavAnswer answer;
    answer.Status = reply_->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (Redirect(answer.Status)) return;
    answer.Error = failure_.Failed() ? failure_ : ReplyError();
    // Qt takes a connection closed early as the end of the body. (A length
    // announced for a compressed body says nothing about the unpacked one.)
    const QVariant announced = reply_->header(QNetworkRequest::ContentLengthHeader);
    const bool packed = reply_->hasRawHeader("Content-Encoding");
    if (!answer.Error.Failed() && announced.isValid() && !packed &&
        body_.size() < announced.toLongLong())
        answer.Error = Failure(QStringLiteral("The connection to the server broke off."));
    if (!answer.Error.Failed() || answer.Status >= 400) answer.Body = std::move(body_);
    body_.clear();
    answer.ETag = reply_->rawHeader("ETag");
    Finish(answer);
}

// Answers from the event loop, never from inside a signal of the reply: the
// replies go at once, while their manager still exists, and the callback may
// drop or delete everything, this exchange included.
void TvnDavExchange::Finish(const TvnDavAnswer& answer) {
    finished_ = true;
    if (reply_) QObject::disconnect(reply_, nullptr, this, nullptr);
    QTimer::singleShot(0, this, [this, answer]() mutable {
        TvnDavHttp::Done done = std::move(done_);
        Drop();
        setParent(nullptr);
        deleteLater();
        if (done) done(std::move(answer));
    });
}

TvnDavHttp::TvnDavHttp(QObject* parent)
    : QObject(parent),
      net_(new QNetworkAccessManager(this)),
      calls_(new QObject(this)),
      maxBody_(CalDavMaxBodyBytes) {
    connect(net_, &QNetworkAccessManager::authenticationRequired, this,
            [](QNetworkReply* reply, QAuthenticator* auth) {
                if (auto* exchange = dynamic_cast<TvnDavExchange*>(reply->parent()))
                    exchange->Authenticate(auth);
            });
}

TvnDavHttp::~TvnDavHttp() {
    AbortAll();
}

void TvnDavHttp::Send(const TvnCalDavEndpoint& who, const TvnDavRequest& request, Done done) {
    auto* exchange = new TvnDavExchange(calls_, who, maxBody_, std::move(done));
    QString why;
    if (!CalDavAddressAllowed(request.Url, &why))
        exchange->FailLater(why);
    else if (!CalDavSameOrigin(request.Url, who.Url))
        exchange->FailLater(DavElsewhere(request.Url, who.Url));
    else
        exchange->Start(net_, request, timeoutMs_, deadlineMs_);
}

void TvnDavHttp::Later(std::function<void()> call) {
    auto* holder = new QObject(calls_);
    QTimer::singleShot(0, holder, [holder, call = std::move(call)] {
        delete holder;
        call();
    });
}

void TvnDavHttp::AbortAll() {
    const QObjectList calls = calls_->children();
    qDeleteAll(calls);
}
