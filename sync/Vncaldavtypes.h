// What the CalDAV pieces hand each other: a user's binding to a calendar on
// a server, where and as whom to reach it, and what went wrong.
#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>
#include <vector>

// One user's calendar on a CalDAV server. The password is never part of it:
// it lives in the desktop's secret store (see Vnpasswords.h).
struct TvnCalDavAccount {
    int UserID = 0;
    QString Server;    // the address the user typed
    QString UserName;  // on the server
    QString Calendar;  // the address of the chosen calendar collection
    // SHA-256 of the one certificate the user accepted for this server
    // although the system does not trust it (lower-case hex); empty when none.
    QByteArray Fingerprint;
};

// Where and as whom one request goes.
struct TvnCalDavEndpoint {
    QUrl Url;  // a server, principal or calendar address
    QString UserName;
    QString Password;
    QByteArray AcceptedFingerprint;  // as TvnCalDavAccount::Fingerprint
};

// Why an exchange with the server failed; Message is empty when it did not.
struct TvnCalDavError {
    QString Message;  // one sentence for the user
    int Status = 0;   // the HTTP status when the server answered
    // Set when the server's certificate is not trusted: the certificate's
    // SHA-256 (lower-case hex) and a description of it and of the reasons,
    // so that the user can accept that one certificate.
    QByteArray Fingerprint;
    QString CertificateText;

    bool Failed() const { return !Message.isEmpty(); }
};

// A calendar collection the server offers.
struct TvnCalDavCalendar {
    QUrl Url;
    QString DisplayName;  // may be empty
};

// One calendar object resource (one .ics) of a collection.
struct TvnCalDavResource {
    QString Href;     // the path as the server names it, e.g. /user/cal/x.ics
    QByteArray ETag;  // as the server sends it, quotes included
    QByteArray Data;  // the iCalendar text; empty in listings
};

// The resources of a collection: all of them, or those changed since a token.
struct TvnCalDavListing {
    std::vector<TvnCalDavResource> Changed;  // without Data
    std::vector<QString> Removed;            // only in a delta: gone since the token
    QString SyncToken;                       // the server's new token; empty when none
    bool Full = true;                        // false: a delta since the given token
    std::vector<QString> Foreign;            // hrefs on another server: left alone
};
