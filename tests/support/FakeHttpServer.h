// A scripted HTTP server on 127.0.0.1 (or another loopback address, as a
// second origin) for the failures a real server rarely shows on demand:
// every request goes to a handler, whose Answer says what to send back,
// including a huge body produced lazily, no answer at all, an answer cut off
// by closing the connection, one that trickles or one that never ends.
// Connections are kept open; every request is kept for the test to look at.
#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QMap>
#include <QTcpServer>
#include <QUrl>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

class QSslConfiguration;
class QTcpSocket;

class FakeHttpServer : public QObject {
public:
    struct Request {
        QByteArray Method;
        QByteArray Path;                       // as sent, query included
        QMap<QByteArray, QByteArray> Headers;  // names in lower case
        QByteArray Body;
    };
    struct Answer {
        int Status = 200;
        QByteArray Reason = "OK";
        std::vector<std::pair<QByteArray, QByteArray>> Headers;
        QByteArray Body;
        qint64 LazyBytes = 0;      // instead of Body: this many bytes of 'x', sent as read
        bool LazyLength = true;    // announce LazyBytes as Content-Length
        bool NoAnswer = false;     // keep the connection open and silent
        bool CloseMidway = false;  // announce Body twice as long, send it, hang up
        int TrickleMs = 0;         // send Body one byte every TrickleMs milliseconds
        bool Endless = false;      // a chunked body whose chunks never stop coming
    };
    using Handler = std::function<Answer(const Request&)>;

    // With tls, the server speaks https with that certificate and key.
    explicit FakeHttpServer(Handler handler, const QSslConfiguration* tls = nullptr,
                            const QHostAddress& address = QHostAddress::LocalHost);
    void SetHandler(Handler handler) { handler_ = std::move(handler); }

    QUrl Url(const QString& path = QStringLiteral("/")) const;  // http(s)://address:port/path
    int Requests() const { return requests_; }                  // answered so far
    const std::vector<Request>& Received() const { return received_; }

private:
    void OnData(QTcpSocket* socket);
    void Respond(QTcpSocket* socket, const Answer& answer);
    void SendLazy(QTcpSocket* socket, qint64 left);
    void SendEvery(QTcpSocket* socket, int ms, std::function<QByteArray()> next);

    std::unique_ptr<QTcpServer> server_;
    Handler handler_;
    int requests_ = 0;
    std::vector<Request> received_;
};
