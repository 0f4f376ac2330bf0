// A Radicale CalDAV server of the test's own: started on 127.0.0.1 and a free
// port, with its storage in a temporary folder, no authentication (any user
// name and password are taken) and every user allowed everywhere. The
// helpers below talk plain blocking HTTP to it, the way another calendar
// program sharing the calendar would, with Basic authentication as the user
// named by the first segment of the path (so that the principal is /user/).
#pragma once

#include <QByteArray>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <QUrl>
#include <memory>

class RadicaleServer {
public:
    // Starts the server; Running() and Error() tell whether it came up.
    RadicaleServer();
    ~RadicaleServer();  // stops it
    RadicaleServer(const RadicaleServer&) = delete;
    RadicaleServer& operator=(const RadicaleServer&) = delete;

    // Starts it again, on the same port and storage; waits (at most 15 s)
    // until it answers. False, with Error(), when it does not.
    bool Start();
    // Kills the server and waits until it has gone.
    void Stop();
    bool Running() const;
    QString Error() const { return error_; }

    QUrl BaseUrl() const;  // http://127.0.0.1:port/
    // MKCALENDAR /user/name/ (creating the principal first); the full URL,
    // empty when the server refused.
    QUrl CreateCalendar(const QString& user, const QString& name);
    int Put(const QUrl& url, const QByteArray& ics);  // the HTTP status (0: no answer)
    QByteArray Get(const QUrl& url, int* status = nullptr);
    int Delete(const QUrl& url);
    // The hrefs of the collection's resources (PROPFIND Depth 1), the
    // collection itself left out.
    QStringList Hrefs(const QUrl& calendar);

private:
    QByteArray Send(const QByteArray& method, const QUrl& url, const QByteArray& body,
                    const QByteArray& depth, int* status);

    QTemporaryDir dir_;
    quint16 port_ = 0;
    std::unique_ptr<QProcess> process_;
    QString error_;
};
