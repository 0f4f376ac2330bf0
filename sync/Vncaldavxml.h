// The WebDAV XML of the CalDAV exchange: request bodies written with
// QXmlStreamWriter and multistatus answers read with QXmlStreamReader, by
// namespace and local name, so that any prefix the server picks works. An
// answer is read response by response, keeping only the properties below.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <utility>
#include <vector>

inline const QString kDavNs = QStringLiteral("DAV:");
inline const QString kCalDavNs = QStringLiteral("urn:ietf:params:xml:ns:caldav");

// A property asked for: namespace and local name.
using TvnDavName = std::pair<QString, QString>;

// PROPFIND asking for the properties.
QByteArray DavPropfindBody(const std::vector<TvnDavName>& props);
// REPORT sync-collection (sync-level 1) since the token, asking for getetag.
QByteArray DavSyncCollectionBody(const QString& token);
// REPORT calendar-multiget of the hrefs, asking for getetag and calendar-data.
QByteArray DavMultigetBody(const std::vector<QString>& hrefs);

// The properties of one response, taken from its propstats with a 2xx status.
struct TvnDavProps {
    bool Collection = false;
    bool Calendar = false;
    QString DisplayName;
    QString Principal;  // current-user-principal href
    QString Home;       // calendar-home-set href (the first)
    QString SyncToken;
    QByteArray ETag;
    bool HasData = false;
    QByteArray Data;  // calendar-data
    bool HasComponents = false;
    QStringList Components;  // supported-calendar-component-set, upper case
};

// One response of a multistatus.
struct TvnDavItem {
    QString Href;        // as the server wrote it
    int Status = 0;      // the response's own status (sync-collection removals); 0 when none
    bool AnyOk = false;  // some propstat had a 2xx status
    TvnDavProps Props;
};

struct TvnDavMultistatus {
    std::vector<TvnDavItem> Items;
    QString SyncToken;  // the multistatus' own token (sync-collection)
};

// Hands each response of the multistatus to each as it is read, and sets
// syncToken (may be null) to the multistatus' own token. False when the body
// is not well-formed XML or not a DAV multistatus, when a response has no
// href, or when each answered false.
bool DavReadMultistatus(const QByteArray& body, const std::function<bool(TvnDavItem&&)>& each,
                        QString* syncToken);
// The same, every response kept.
bool DavParseMultistatus(const QByteArray& body, TvnDavMultistatus* out);
// Whether the body is a DAV error naming the precondition (a DAV:name element).
bool DavErrorNames(const QByteArray& body, const QString& condition);
