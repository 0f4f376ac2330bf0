// One checked HTTP exchange of the CalDAV client: the address and every
// redirect target vetted, Basic authentication, the accepted certificate,
// a transfer timeout and a bounded body. Failures come back as one sentence.
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

class TvnDavHttp : public QObject {
public:
    using Done = std::function<void(const TvnDavAnswer&)>;

    explicit TvnDavHttp(QObject* parent = nullptr);
    ~TvnDavHttp() override;

    void SetTimeoutMs(int ms) { timeoutMs_ = ms; }
    void SetMaxBodyBytes(qint64 bytes) { maxBody_ = bytes; }

    // Always answers later, from the event loop, unless aborted first.
    void Send(const TvnCalDavEndpoint& who, const TvnDavRequest& request, Done done);
    // Calls from the event loop, unless aborted first.
    void Later(std::function<void()> call);
    // Drops every exchange under way without answering it.
    void AbortAll();

private:
    QNetworkAccessManager* net_;
    QObject* calls_;  // parent of the exchanges under way
    int timeoutMs_ = 30000;
    qint64 maxBody_;
};
