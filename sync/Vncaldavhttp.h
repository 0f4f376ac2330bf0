// One checked HTTP exchange of the CalDAV client: the address and every
// redirect target vetted, Basic authentication only to the endpoint's origin,
// the accepted certificate, a transfer timeout, an overall deadline and a
// bounded body. Failures come back as one sentence.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QUrl>
#include <functional>
#include <utility>
#include <vector>

#include "sync/Vncaldavtypes.h"

class QNetworkAccessManager;

struct TvnDavRequest {
    QByteArray Method;
    QUrl Url;
    QByteArray Depth;  // empty: no Depth header
    std::vector<std::pair<QByteArray, QByteArray>> Headers;
    QByteArray ContentType;
    QByteArray Body;
};

struct TvnDavAnswer {
    TvnCalDavError Error;  // also set for 4xx and 5xx, with Status
    int Status = 0;
    QByteArray Body;
    QByteArray ETag;  // the ETag header
};

// Why a request for the endpoint's origin does not go to target.
QString DavElsewhere(const QUrl& target, const QUrl& origin);

class TvnDavHttp : public QObject {
public:
    // Takes the answer, so that its body can be let go early.
    using Done = std::function<void(TvnDavAnswer)>;

    explicit TvnDavHttp(QObject* parent = nullptr);
    ~TvnDavHttp() override;

    void SetTimeoutMs(int ms) { timeoutMs_ = ms; }
    void SetDeadlineMs(int ms) { deadlineMs_ = ms; }
    void SetMaxBodyBytes(qint64 bytes) { maxBody_ = bytes; }

    // Always answers later, from the event loop, unless aborted first. A
    // request for another origin than who.Url's fails unsent.
    void Send(const TvnCalDavEndpoint& who, const TvnDavRequest& request, Done done);
    // Calls from the event loop, unless aborted first.
    void Later(std::function<void()> call);
    // Drops every exchange under way without answering it.
    void AbortAll();

private:
    QNetworkAccessManager* net_;
    QObject* calls_;  // parent of the exchanges under way
    int timeoutMs_ = 30000;
    int deadlineMs_ = 120000;
    qint64 maxBody_;
};
