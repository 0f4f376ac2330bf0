// The local half of a synchronisation: what the server's changes do to the
// user's events, what is sent back, and how a change on both sides is kept.
#include <QUrl>
#include <QUuid>
#include <set>

#include "reminder/Vncalendardata.h"
#include "reminder/Vnrecurrence.h"
#include "store/Adodb.h"
#include "store/Vneventuids.h"
#include "sync/Vncaldavsync_p.h"

namespace {

const QString kConflictMark = QStringLiteral(" (conflict copy)");

// The fields that decide when the reminder announces an event.
bool SameTiming(const TvnEventParams& a, const TvnEventParams& b) {
    return a.eType == b.eType && a.Date == b.Date && a.EndDate == b.EndDate &&
           a.UseStartTime == b.UseStartTime && a.UseEndDate == b.UseEndDate &&
           a.Notify == b.Notify && a.NotifyParam == b.NotifyParam && a.NotifyType == b.NotifyType &&
           a.Recurrence == b.Recurrence && a.nParam == b.nParam;
}

// The server's version over the local event. An event announced here keeps
// its RunDate and Completed unless its timing changed, so that it is not
// announced again; a version without alarms keeps the local notice. The
// action and sound files are always the local ones: a server must not pick
// what this computer opens or plays.
TvnEventParams Merged(const TvnEventParams& local, const TvnIcsEvent& server) {
    TvnEventParams e = server.Event;
    e.ID = local.ID;
    e.Action_File = local.Action_File;
    e.Sound_File = local.Sound_File;
    if (!server.NoticeKnown) {
        e.Notify = local.Notify;
        e.NotifyParam = local.NotifyParam;
        e.NotifyType = local.NotifyType;
    }
    if (SameTiming(local, e)) {
        e.RunDate = local.RunDate;
        e.Completed = local.Completed;
    } else {
        CalcEventNotifyDate(&e, Now());
    }
    return e;
}

class Applier {
public:
    Applier(TvnCalendarData& data, TvnCalDavSync::Run& run)
        : run_(run),
          events_(data, run.Account.UserID),
          db_(data.DataSet(tsEvents)->Connection()->Handle()),
          store_(db_),
          uids_(db_) {}

    bool Apply() {
        local_ = events_.Load();
        std::map<QString, std::vector<TvnCalDavItem>> byHref;
        for (TvnCalDavItem& item : store_.Items(run_.Account.UserID)) {
            linked_.insert(item.EventID);
            byHref[CalDavHrefKey(item.Href)].push_back(std::move(item));
        }
        for (auto& [key, items] : byHref) {
            if (run_.Untouched.contains(key)) continue;  // read neither way this time
            if (items.front().Part)
                ApplyToParts(key, items);
            else
                ApplyToSingle(key, items.front());
        }
        for (const auto& [key, download] : run_.Downloads)
            if (!byHref.contains(key) && !Adopt(download)) AddFromServer(download);
        QueueNewEvents();
        return changed_;
    }

private:
    const TvnSyncDownload* DownloadOf(const QString& key) const {
        const auto it = run_.Downloads.find(key);
        return it == run_.Downloads.end() ? nullptr : &it->second;
    }

    const TvnEventParams* LocalOf(int id) const {
        const auto it = local_.find(id);
        return it == local_.end() ? nullptr : &it->second;
    }

    bool ChangedHere(const TvnCalDavItem& item) const {
        const TvnEventParams* e = LocalOf(item.EventID);
        return e && CalDavEventHash(*e) != item.Hash;
    }

    void ApplyToSingle(const QString& key, TvnCalDavItem& item) {
        const auto server = run_.ServerETags.find(key);
        const TvnEventParams* local = LocalOf(item.EventID);
        const bool changedHere = ChangedHere(item);
        if (server != run_.ServerETags.end() && server->second == item.ETag) {
            if (!local)
                Queue({true, item.Href, item.ETag, item.EventID, {}});
            else if (changedHere)
                QueuePut(*local, item, item.ETag);
            return;
        }
        const TvnSyncDownload* download = DownloadOf(key);
        if (!download) {  // deleted there: a change made here since is kept
            if (changedHere) {
                QueuePut(*local, item, QByteArray());
            } else {
                if (local) RemoveHere(item.EventID);
                Unlink(item.EventID);
            }
            return;
        }
        if (!local || download->Events.size() != 1) {  // an edit there wins over a deletion here
            if (changedHere) KeepAsCopy(*local);
            if (local) RemoveHere(item.EventID);
            Unlink(item.EventID);
            AddFromServer(*download);
            return;
        }
        if (changedHere)
            Conflict(*local, item, *download);
        else
            UpdateFromServer(*local, *download);
    }

    // Both sides changed: the newer change wins, the other becomes a copy.
    void Conflict(const TvnEventParams& local, TvnCalDavItem& item,
                  const TvnSyncDownload& download) {
        ++run_.Report.Conflicts;
        const TvnIcsEvent& server = download.Events.front();
        if (item.LocalChanged > server.LastModified) {
            TvnEventParams copy = Merged(local, server);
            // Remembered as the server's version: if the upload fails, the
            // next run sends it again instead of making another copy.
            item.ETag = download.ETag;
            item.Hash = CalDavEventHash(copy);
            store_.SaveItem(run_.Account.UserID, item);
            QueuePut(local, item, download.ETag);
            copy.Desc += kConflictMark;
            AddHere(copy);
        } else {
            KeepAsCopy(local);
            UpdateFromServer(local, download);
        }
    }

    void KeepAsCopy(const TvnEventParams& local) {
        TvnEventParams copy = local;
        copy.Desc += kConflictMark;
        AddHere(copy);
    }

    // The server's series changed: a local change to one of its occurrences
    // is kept as an event of its own.
    void ApplyToParts(const QString& key, const std::vector<TvnCalDavItem>& items) {
        const auto server = run_.ServerETags.find(key);
        if (server != run_.ServerETags.end() && server->second == items.front().ETag &&
            !run_.Refresh.contains(key))
            return;
        for (const TvnCalDavItem& item : items) {
            if (ChangedHere(item)) KeepAsCopy(*LocalOf(item.EventID));
            if (LocalOf(item.EventID)) RemoveHere(item.EventID);
            Unlink(item.EventID);
        }
        if (const TvnSyncDownload* download = DownloadOf(key)) AddFromServer(*download);
    }

    // A new resource that carries the UID of an event here the server was
    // never told about (an upload whose answer was lost, or the same file
    // imported on both sides) is that event, not a second one.
    bool Adopt(const TvnSyncDownload& download) {
        if (download.Events.size() != 1) return false;
        const TvnIcsEvent& server = download.Events.front();
        const int id = server.Uid.isEmpty() ? 0 : uids_.EventOf(server.Uid, run_.Account.UserID);
        const TvnEventParams* local = LocalOf(id);
        if (!local || linked_.contains(id)) return false;
        const TvnEventParams merged = Merged(*local, server);
        SaveItem(merged, download, server, false);
        if (CalDavEventHash(merged) != CalDavEventHash(*local)) {
            TvnCalDavItem item{id, download.Href, download.ETag, server.Uid, {}, 0, false};
            QueuePut(*local, item, download.ETag);
        }
        return true;
    }

    void UpdateFromServer(const TvnEventParams& local, const TvnSyncDownload& download) {
        const TvnIcsEvent& server = download.Events.front();
        const TvnEventParams merged = Merged(local, server);
        events_.Update(merged);
        local_[merged.ID] = merged;
        SaveItem(merged, download, server, false);
        ++run_.Report.Downloaded;
        changed_ = true;
    }

    void AddFromServer(const TvnSyncDownload& download) {
        const bool part = download.Events.size() > 1;
        for (const TvnIcsEvent& server : download.Events) {
            TvnEventParams e = server.Event;
            e.Action_File.clear();  // never chosen by a server
            e.Sound_File.clear();
            CalcEventNotifyDate(&e, Now());
            e.ID = AddHere(e);
            SaveItem(e, download, server, part);
            ++run_.Report.Downloaded;
        }
        changed_ = true;
    }

    void SaveItem(const TvnEventParams& e, const TvnSyncDownload& download,
                  const TvnIcsEvent& server, bool part) {
        store_.SaveItem(run_.Account.UserID, {e.ID, download.Href, download.ETag, server.Uid,
                                              CalDavEventHash(e), 0, part, part && server.GoesOn});
        linked_.insert(e.ID);
        if (part || server.Uid.isEmpty()) return;
        uids_.Store(e.ID, server.Uid);
    }

    int AddHere(TvnEventParams e) {
        e.ID = events_.Add(e);
        local_[e.ID] = e;
        changed_ = true;
        return e.ID;
    }

    void Unlink(int eventId) {
        store_.RemoveItem(eventId);
        linked_.erase(eventId);
    }

    void RemoveHere(int eventId) {
        events_.Remove(eventId);
        local_.erase(eventId);
        ++run_.Report.DeletedHere;
        changed_ = true;
    }

    void QueuePut(const TvnEventParams& e, const TvnCalDavItem& item, const QByteArray& ifMatch) {
        const qint64 changed = item.LocalChanged > 0 ? item.LocalChanged : CalDavNowUtc();
        // Written over the server's last text, so that nothing else of it is lost.
        const QByteArray original = store_.Original(run_.Account.UserID, CalDavHrefKey(item.Href));
        Queue({false, item.Href, ifMatch, e.ID, {e, item.Uid, changed, true, original}});
    }

    void Queue(TvnSyncUpload upload) { run_.Uploads.push_back(std::move(upload)); }

    // Events of the user the server has never seen, conflict copies included.
    void QueueNewEvents() {
        QString path = QUrl(run_.Account.Calendar).path();
        if (!path.endsWith(u'/')) path += u'/';
        for (const auto& [id, e] : local_) {
            if (linked_.contains(id)) continue;
            QString uid = uids_.Uid(id);
            if (uid.isEmpty()) {
                uid =
                    QUuid::createUuid().toString(QUuid::WithoutBraces) + QStringLiteral("@vornel");
                uids_.Store(id, uid);
            }
            const QString href =
                path + QString::fromLatin1(QUrl::toPercentEncoding(uid)) + QStringLiteral(".ics");
            Queue({false, href, QByteArray(), id, {e, uid, CalDavNowUtc(), true}});
        }
    }

    TvnCalDavSync::Run& run_;
    TvnUserEvents events_;
    sqlite3* db_;
    ado::TCalDavStore store_;
    ado::TEventUids uids_;
    std::map<int, TvnEventParams> local_;
    std::set<int> linked_;  // events with an item, kept in step with the store
    bool changed_ = false;
};

}  // namespace

bool ApplyServerChanges(TvnCalendarData& data, TvnCalDavSync::Run& run) {
    return Applier(data, run).Apply();
}
