// The CalDAV exchange (RFC 4791, RFC 6578) over QNetworkAccessManager on the
// calling thread: discovery, listing by ETag or sync-token, fetching,
// uploading and deleting calendar objects. Every request is checked before it
// goes: plain http only to this machine, only to the origin (scheme, host and
// port) of the endpoint whose credentials it carries, certificates the system
// trusts or the one the user accepted, a bounded body, a timeout, an overall
// deadline, a bounded redirect chain. Answers are parsed before anything is
// handed on; no table is touched here.
#pragma once

#include <QObject>
#include <functional>
#include <memory>

#include "sync/Vncaldavtypes.h"

class QNetworkAccessManager;

// Answers larger than this end the exchange with a message.
constexpr qint64 CalDavMaxBodyBytes = 16 * 1024 * 1024;

// Whether a request may go to the address: https anywhere, http only to a
// loopback address (localhost, 127.0.0.0/8, ::1). why gets the reason when not.
// The account dialog applies the same rule (Vncaldavaddress.h).
bool CalDavAddressAllowed(const QUrl& url, QString* why = nullptr);
// Whether the addresses share scheme, host and port: credentials given for
// one go to the other too, and nowhere else.
bool CalDavSameOrigin(const QUrl& a, const QUrl& b);
// scheme://host:port of the address, for messages.
QString CalDavOrigin(const QUrl& url);
// An href of a listing made absolute against the collection's address.
QUrl CalDavResolve(const QUrl& base, const QString& href);

class TvnCalDavClient : public QObject {
    Q_OBJECT

public:
    explicit TvnCalDavClient(QObject* parent = nullptr);
    ~TvnCalDavClient() override;

    // Tests shorten these.
    void SetTimeoutMs(int ms);   // a request without progress for this long fails; default 30 s
    void SetDeadlineMs(int ms);  // a request not done within this fails; default 120 s
    void SetMaxBodyBytes(qint64 bytes);

    template <class T>
    using Done = std::function<void(const TvnCalDavError&, T)>;

    // The calendars reachable from the endpoint: the collection itself when
    // Url is a calendar; else those of the principal's calendar-home-set,
    // found through current-user-principal (trying /.well-known/caldav too).
    void Discover(const TvnCalDavEndpoint& at, Done<std::vector<TvnCalDavCalendar>> done);
    // The collection's resources with their ETags. With a token the server
    // offers sync-collection for, only the changes since it; a token the
    // server refuses gives a full listing instead. Hrefs on another origin
    // are set apart in Foreign.
    void List(const TvnCalDavEndpoint& calendar, const QString& syncToken,
              Done<TvnCalDavListing> done);
    // The resources with their data (calendar-multiget, in batches of 200),
    // each batch handed to each as it arrives and its answer let go before
    // the next is asked for, so that memory holds one batch whatever the
    // calendar's size. Hrefs the server reports as not found, and any on
    // another origin, are left out; a resource without data or a malformed
    // answer is an error, and so is a message from each, which ends the fetch.
    using Batch = std::function<QString(std::vector<TvnCalDavResource>)>;
    void Fetch(const TvnCalDavEndpoint& calendar, const std::vector<QString>& hrefs, Batch each,
               Done<bool> done);
    // The same, all resources handed on at the end.
    void Fetch(const TvnCalDavEndpoint& calendar, const std::vector<QString>& hrefs,
               Done<std::vector<TvnCalDavResource>> done);
    // Uploads one resource: over the version with the ETag (If-Match), or as a
    // new one (If-None-Match: *) when etag is empty. Gives the new ETag, empty
    // when the server sends none. A changed or existing resource fails with
    // Status 412.
    void Put(const TvnCalDavEndpoint& calendar, const QString& href, const QByteArray& data,
             const QByteArray& etag, Done<QByteArray> done);
    // Deletes the version with the ETag (any version when etag is empty); a
    // resource that is gone already counts as deleted.
    void Remove(const TvnCalDavEndpoint& calendar, const QString& href, const QByteArray& etag,
                Done<bool> done);
    // Drops every request under way; their callbacks are not called.
    void AbortAll();

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};
