// A scripted HTTP server on 127.0.0.1 for the failures a real server rarely
// shows on demand: every request goes to a handler, whose Answer says what
// to send back, including a huge body produced lazily, no answer at all, or
// an answer cut off by closing the connection. Connections are kept open.
#pragma once

#include <QByteArray>
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
    };
    using Handler = std::function<Answer(const Request&)>;

    // With tls, the server speaks https with that certificate and key.
    explicit FakeHttpServer(Handler handler, const QSslConfiguration* tls = nullptr);
    void SetHandler(Handler handler) { handler_ = std::move(handler); }

    QUrl Url(const QString& path = QStringLiteral("/")) const;  // http(s)://127.0.0.1:port/path
    int Requests() const { return requests_; }                  // answered so far

private:
    void OnData(QTcpSocket* socket);
    void Respond(QTcpSocket* socket, const Answer& answer);
    void SendLazy(QTcpSocket* socket, qint64 left);

    std::unique_ptr<QTcpServer> server_;
    Handler handler_;
    int requests_ = 0;
};
