#include "support/FakeHttpServer.h"

#include <QSslServer>
#include <QTcpSocket>
#include <QTimer>

namespace {

constexpr qint64 kLazyChunk = 64 * 1024;

// The request once its header and announced body are in, else false.
bool ParseRequest(const QByteArray& data, FakeHttpServer::Request* request) {
    const qsizetype end = data.indexOf("\r\n\r\n");
    if (end < 0) return false;
    const QList<QByteArray> lines = data.left(end).split('\n');
    const QList<QByteArray> first = lines.value(0).trimmed().split(' ');
    request->Method = first.value(0);
    request->Path = first.value(1);
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const qsizetype colon = lines[i].indexOf(':');
        if (colon > 0)
            request->Headers[lines[i].left(colon).trimmed().toLower()] =
                lines[i].mid(colon + 1).trimmed();
    }
    const qint64 length = request->Headers.value("content-length").toLongLong();
    if (data.size() - end - 4 < length) return false;
    request->Body = data.mid(end + 4, length);
    return true;
}

}  // namespace

FakeHttpServer::FakeHttpServer(Handler handler, const QSslConfiguration* tls,
                               const QHostAddress& address)
    : handler_(std::move(handler)) {
    if (tls) {
        auto* secure = new QSslServer;
        secure->setSslConfiguration(*tls);
        server_.reset(secure);
    } else {
        server_ = std::make_unique<QTcpServer>();
    }
    server_->listen(address, 0);
    connect(server_.get(), &QTcpServer::pendingConnectionAvailable, this, [this] {
        while (QTcpSocket* socket = server_->nextPendingConnection()) {
            socket->setParent(this);
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { OnData(socket); });
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
}

QUrl FakeHttpServer::Url(const QString& path) const {
    const bool tls = dynamic_cast<QSslServer*>(server_.get()) != nullptr;
    return QUrl(QStringLiteral("%1://%2:%3%4")
                    .arg(tls ? QStringLiteral("https") : QStringLiteral("http"))
                    .arg(server_->serverAddress().toString())
                    .arg(server_->serverPort())
                    .arg(path));
}

void FakeHttpServer::OnData(QTcpSocket* socket) {
    QByteArray data = socket->property("pending").toByteArray() + socket->readAll();
    Request request;
    if (!ParseRequest(data, &request)) {
        socket->setProperty("pending", data);
        return;
    }
    socket->setProperty("pending", QByteArray());
    ++requests_;
    received_.push_back(request);
    Respond(socket, handler_(request));
}

void FakeHttpServer::Respond(QTcpSocket* socket, const Answer& answer) {
    if (answer.NoAnswer) return;
    QByteArray head =
        "HTTP/1.1 " + QByteArray::number(answer.Status) + ' ' + answer.Reason + "\r\n";
    for (const auto& [name, value] : answer.Headers)
        head += name + ": " + value + "\r\n";
    qint64 length = answer.CloseMidway ? answer.Body.size() * 2 + 1 : answer.Body.size();
    if (answer.LazyBytes > 0) length = answer.LazyLength ? answer.LazyBytes : -1;
    if (answer.Endless) length = -1;
    if (length >= 0) head += "Content-Length: " + QByteArray::number(length) + "\r\n";
    if (answer.Endless) head += "Transfer-Encoding: chunked\r\n";
    const bool last = answer.CloseMidway || answer.LazyBytes > 0;
    socket->write(head + (last ? "Connection: close\r\n\r\n" : "\r\n"));
    if (answer.LazyBytes > 0) return SendLazy(socket, answer.LazyBytes);
    if (answer.Endless) return SendEvery(socket, 20, [] { return QByteArray("5\r\n<x/>\n\r\n"); });
    if (answer.TrickleMs > 0) {
        auto sent = std::make_shared<qsizetype>(0);
        return SendEvery(socket, answer.TrickleMs, [body = answer.Body, sent] {
            return *sent < body.size() ? body.mid((*sent)++, 1) : QByteArray();
        });
    }
    socket->write(answer.Body);
    if (last) socket->disconnectFromHost();
}

// Writes the next chunk only when the last one has gone, so that a reader
// that hangs up stops the flow at once.
void FakeHttpServer::SendLazy(QTcpSocket* socket, qint64 left) {
    const qint64 chunk = std::min(left, kLazyChunk);
    socket->write(QByteArray(chunk, 'x'));
    if (left == chunk) return socket->disconnectFromHost();
    auto next = std::make_shared<QMetaObject::Connection>();
    *next = connect(socket, &QTcpSocket::bytesWritten, this, [this, socket, left, chunk, next] {
        if (socket->bytesToWrite() > 0) return;
        disconnect(*next);
        SendLazy(socket, left - chunk);
    });
}

// Writes what next gives every ms milliseconds, until it gives nothing or
// the connection goes.
void FakeHttpServer::SendEvery(QTcpSocket* socket, int ms, std::function<QByteArray()> next) {
    auto* timer = new QTimer(socket);
    connect(timer, &QTimer::timeout, socket, [socket, timer, next = std::move(next)] {
        const QByteArray piece = next();
        if (piece.isEmpty()) return timer->stop();
        socket->write(piece);
    });
    timer->start(ms);
}
