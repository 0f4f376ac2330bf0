// Two-way synchronisation of one user's events with the calendar the user is
// bound to. Runs on the calling thread, driven by the network's answers. The
// server is read first and its answers checked before anything local changes;
// the downloaded changes, read into records batch by batch as they arrive,
// are then stored in one transaction, and the local
// changes uploaded one by one, each remembered as soon as the server took it.
// A local change is found by comparing the event with what the last
// synchronisation saw, so a change made offline (or before a crash) is sent
// the next time. An event changed on both sides keeps the newer change; the
// other version becomes an event of its own, marked as a conflict copy.
#pragma once

#include <QDateTime>
#include <QObject>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

#include "sync/Vncaldavtypes.h"

class TvnCalendarData;
class TvnCalDavClient;
struct TvnEventParams;
struct TvnSyncUpload;

// The synchronised fields of an event in a stable form: equal hashes, equal
// events as far as the server is concerned. RunDate and Completed, which the
// reminder computes here, and the action and sound files, which only this
// computer sets, are left out.
QByteArray CalDavEventHash(const TvnEventParams& event);

struct TvnCalDavSyncReport {
    int UserID = 0;
    QString Error;   // empty when the synchronisation completed
    QString Notice;  // what was left alone, said beside the outcome; empty when nothing
    int Downloaded = 0, Uploaded = 0, DeletedHere = 0, DeletedThere = 0, Conflicts = 0;
    QDateTime Ended;
    bool Failed() const { return !Error.isEmpty(); }
};

class TvnCalDavSync : public QObject {
    Q_OBJECT

public:
    // Works on the events of the calendar's data, through a view of each
    // user's events of its own; neither is owned.
    TvnCalDavSync(TvnCalendarData& data, TvnCalDavClient& client, QObject* parent = nullptr);
    ~TvnCalDavSync() override;

    // Gives the password of an account, or nullopt when the user declined.
    using PasswordSource =
        std::function<void(const TvnCalDavAccount&, std::function<void(std::optional<QString>)>)>;
    void SetPasswordSource(PasswordSource source);

    // Starts one synchronisation of the user's binding; false when none runs
    // because the user is not bound or one is under way.
    bool Start(int userId);
    bool Running() const;
    // Ends the one under way without a report (the program is closing).
    void Abort();

    // Notes when the user's events first differ from what the last
    // synchronisation saw, so that a conflict can tell which change is newer.
    void NoteLocalChanges(int userId);
    // Stamps a change of a synchronised event when it is made: of two edits,
    // the one made later wins, however long the next run is in coming.
    void NoteLocalChange(int eventId);

signals:
    void Finished(const TvnCalDavSyncReport& report);
    // Downloaded changes were stored: the calendar's views need repainting.
    void EventsChanged(int userId);

public:
    // The state of one synchronisation (Vncaldavsync_p.h).
    struct Run;

private:
    void ListServer();
    void Listed(TvnCalDavListing listing);
    QString TakeBatch(std::vector<TvnCalDavResource> resources);
    QString KeepOriginals(const std::vector<std::pair<QString, QByteArray>>& texts);
    void StoreLocally();
    void SendNext();
    void Sent(const TvnCalDavError& error, const QByteArray& etag);
    void Remember(const TvnSyncUpload& up, const QByteArray& etag);
    void Fail(const QString& message);
    void Finish(TvnCalDavSyncReport report);

    TvnCalendarData& data_;
    TvnCalDavClient& client_;
    PasswordSource passwords_;
    std::unique_ptr<Run> run_;
};
