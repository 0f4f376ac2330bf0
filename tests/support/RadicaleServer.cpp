#include "support/RadicaleServer.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QXmlStreamReader>

namespace {

constexpr int kStartMs = 15000;
// Long enough for a whole calendar put in one request (the benchmark's).
constexpr int kRequestMs = 300000;

quint16 FreePort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

QByteArray BasicAuthFor(const QUrl& url) {
    const QString user = url.path().section(QLatin1Char('/'), 1, 1);
    return "Basic " +
           (user.isEmpty() ? QStringLiteral("test") : user).toUtf8().append(":x").toBase64();
}

}  // namespace

RadicaleServer::RadicaleServer() : port_(FreePort()) {
    const QString config = QStringLiteral(
                               "[server]\nhosts = 127.0.0.1:%1\n"
                               "[auth]\ntype = none\n"
                               "[rights]\ntype = authenticated\n"
                               "[storage]\nfilesystem_folder = %2\n"
                               "[web]\ntype = none\n"
                               "[logging]\nlevel = error\n")
                               .arg(port_)
                               .arg(dir_.filePath(QStringLiteral("collections")));
    QFile file(dir_.filePath(QStringLiteral("config")));
    if (!file.open(QIODevice::WriteOnly) || file.write(config.toUtf8()) < 0)
        error_ = QStringLiteral("cannot write the Radicale configuration");
    file.close();
    if (error_.isEmpty()) Start();
}

RadicaleServer::~RadicaleServer() {
    Stop();
}

bool RadicaleServer::Start() {
    Stop();
    error_.clear();
    process_ = std::make_unique<QProcess>();
    process_->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_->setStandardOutputFile(QProcess::nullDevice());
    process_->start(QStringLiteral("/usr/bin/python3"),
                    {QStringLiteral("-m"), QStringLiteral("radicale"), QStringLiteral("--config"),
                     dir_.filePath(QStringLiteral("config"))});
    process_->waitForStarted(kStartMs);
    QDeadlineTimer deadline(kStartMs);
    while (!deadline.hasExpired() && process_->state() != QProcess::NotRunning) {
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, port_);
        if (socket.waitForConnected(200)) return true;
        QThread::msleep(50);
    }
    error_ = QStringLiteral("Radicale did not start on port %1").arg(port_);
    Stop();
    return false;
}

void RadicaleServer::Stop() {
    if (!process_) return;
    process_->kill();
    process_->waitForFinished(5000);
    process_.reset();
}

bool RadicaleServer::Running() const {
    return process_ && process_->state() == QProcess::Running;
}

QUrl RadicaleServer::BaseUrl() const {
    return QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(port_));
}

QByteArray RadicaleServer::Send(const QByteArray& method, const QUrl& url, const QByteArray& body,
                                const QByteArray& depth, int* status) {
    QNetworkAccessManager net;
    QNetworkRequest request(url);
    request.setRawHeader("Authorization", BasicAuthFor(url));
    request.setTransferTimeout(kRequestMs);
    if (!depth.isEmpty()) request.setRawHeader("Depth", depth);
    if (!body.isEmpty())
        request.setRawHeader("Content-Type", method == "PUT" ? "text/calendar; charset=utf-8"
                                                             : "application/xml; charset=utf-8");
    QNetworkReply* reply = net.sendCustomRequest(request, method, body);
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    loop.exec();
    if (status) *status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QByteArray answer = reply->readAll();
    delete reply;
    return answer;
}

QUrl RadicaleServer::CreateCalendar(const QString& user, const QString& name) {
    int status = 0;
    // Radicale makes the principal collection on the user's first PROPFIND.
    Send("PROPFIND", BaseUrl().resolved(QUrl(user + QLatin1Char('/'))), {}, "0", &status);
    const QUrl url = BaseUrl().resolved(QUrl(user + QLatin1Char('/') + name + QLatin1Char('/')));
    Send("MKCALENDAR", url, {}, {}, &status);
    return status == 201 ? url : QUrl();
}

int RadicaleServer::Put(const QUrl& url, const QByteArray& ics) {
    int status = 0;
    Send("PUT", url, ics, {}, &status);
    return status;
}

QByteArray RadicaleServer::Get(const QUrl& url, int* status) {
    return Send("GET", url, {}, {}, status);
}

int RadicaleServer::Delete(const QUrl& url) {
    int status = 0;
    Send("DELETE", url, {}, {}, &status);
    return status;
}

QStringList RadicaleServer::Hrefs(const QUrl& calendar) {
    const QByteArray body =
        "<?xml version=\"1.0\"?><D:propfind xmlns:D=\"DAV:\"><D:prop><D:getetag/>"
        "</D:prop></D:propfind>";
    int status = 0;
    QXmlStreamReader xml(Send("PROPFIND", calendar, body, "1", &status));
    QStringList hrefs;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement() || xml.namespaceUri() != QLatin1String("DAV:") ||
            xml.name() != QLatin1String("href"))
            continue;
        const QString href = xml.readElementText().trimmed();
        if (calendar.resolved(QUrl(href)).path() != calendar.path()) hrefs << href;
    }
    return hrefs;
}
