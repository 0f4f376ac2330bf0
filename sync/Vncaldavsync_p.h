// What one synchronisation carries from the server's answers to the local
// tables and back: shared by the steps of the engine.
#pragma once

#include <QByteArray>
#include <QString>
#include <deque>
#include <map>
#include <set>
#include <vector>

#include "reminder/Vnicalendar.h"
#include "reminder/Vnuserevents.h"
#include "sync/Vncaldavstore.h"
#include "sync/Vncaldavsync.h"

class TvnCalendarData;

// A resource read from the server, its events parsed.
struct TvnSyncDownload {
    QString Href;
    QByteArray ETag;
    std::vector<TvnIcsEvent> Events;
};

// One change to send once the local side is stored.
struct TvnSyncUpload {
    bool Delete = false;
    QString Href;
    QByteArray IfMatch;    // empty: a new resource
    int EventID = 0;       // the event uploaded, or whose deletion is sent
    TvnIcsEvent Item;      // what a Put sends
    QByteArray Data = {};  // the text sent, once it is made
};

struct TvnCalDavSync::Run {
    int Generation = 0;
    TvnCalDavAccount Account;
    TvnCalDavEndpoint At;
    TvnCalDavSyncReport Report;
    QString NewToken;
    // The server's resources by decoded href: the ETag, and the href as given.
    std::map<QString, QByteArray> ServerETags;
    std::map<QString, QString> ServerHrefs;
    std::map<QString, TvnSyncDownload> Downloads;  // by decoded href
    std::deque<TvnSyncUpload> Uploads;
    // Resources left alone this run on both sides: they hold no event (tasks,
    // journal entries) or could not be read (by href, said in the report).
    std::set<QString> Untouched;  // by decoded href
    std::vector<QString> Unreadable;
    // Series kept as single events whose last one comes near: read again,
    // though unchanged, for the occurrences beyond (by decoded href).
    std::set<QString> Refresh;
};

// The href's form in which hrefs are compared.
QString CalDavHrefKey(const QString& href);

// Stores the downloaded changes on the local side and queues the local
// changes to send (raises EDatabaseError; the caller rolls back).
// Answers whether any local event changed.
bool ApplyServerChanges(TvnCalendarData& data, TvnCalDavSync::Run& run);

// UTC seconds of the program clock's present moment.
qint64 CalDavNowUtc();
