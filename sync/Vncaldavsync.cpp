#include "sync/Vncaldavsync.h"

#include <QCryptographicHash>
#include <QPointer>
#include <QTimeZone>
#include <stdexcept>

#include "reminder/Vncalendardata.h"
#include "reminder/Vnuserevents.h"
#include "store/Adodb.h"
#include "store/Vneventuids.h"
#include "sync/Vncaldavclient.h"
#include "sync/Vncaldavsync_p.h"

namespace {

void AddNumber(QByteArray& out, qint64 value) {
    out += QByteArray::number(value);
    out += '\x1f';
}

void AddText(QByteArray& out, const QString& value) {
    out += value.toUtf8();
    out += '\x1f';
}

qint64 Seconds(TDateTime value) {
    return qRound64(value * 86400.0);
}

}  // namespace

QByteArray CalDavEventHash(const TvnEventParams& e) {
    QByteArray text;
    for (qint64 n :
         {qint64(e.eType), Seconds(e.Date), e.UseEndDate ? Seconds(e.EndDate) : 0,
          qint64(e.UseStartTime), qint64(e.UseEndDate), qint64(e.Notify), qint64(e.NotifyParam),
          qint64(e.NotifyType), qint64(e.Category), qint64(e.Recurrence), qint64(e.nParam)})
        AddNumber(text, n);
    // The action and sound files stay on this computer: what a server or
    // another program says about them is never taken. Their places stay, so
    // that events without them keep the hashes stored before.
    for (const QString& s : {e.Desc, QString(), QString(), e.Notes})
        AddText(text, s);
    return QCryptographicHash::hash(text, QCryptographicHash::Sha1).toHex();
}

QString CalDavHrefKey(const QString& href) {
    return QUrl::fromPercentEncoding(href.toUtf8());
}

qint64 CalDavNowUtc() {
    const TDateTime now = Now();
    const QDateTime local(QDate(1899, 12, 30).addDays(qint64(std::floor(now))),
                          QTime(0, 0).addMSecs(int(qRound64(TimeOfDay(now) * 86400000.0))));
    return local.toSecsSinceEpoch();
}

TvnCalDavSync::TvnCalDavSync(TvnCalendarData& data, TvnCalDavClient& client, QObject* parent)
    : QObject(parent), data_(data), client_(client) {}

TvnCalDavSync::~TvnCalDavSync() {
    Abort();
}

void TvnCalDavSync::SetPasswordSource(PasswordSource source) {
    passwords_ = std::move(source);
}

bool TvnCalDavSync::Running() const {
    return run_ != nullptr;
}

void TvnCalDavSync::Abort() {
    if (!run_) return;
    client_.AbortAll();
    run_.reset();
}

namespace {

sqlite3* EventsDb(const TvnCalendarData& data) {
    if (!data.TableIsActive(tsEvents)) return nullptr;
    return data.DataSet(tsEvents)->Connection()->Handle();
}

QString UnreadableNotice(const std::vector<QString>& hrefs) {
    if (hrefs.empty()) return {};
    QStringList named;
    for (size_t i = 0; i < hrefs.size() && i < 3; ++i)
        named << hrefs[i];
    if (hrefs.size() > 3) named << QStringLiteral("...");
    return QStringLiteral("%1 item(s) on the server could not be read; they were left alone: %2")
        .arg(hrefs.size())
        .arg(named.join(QStringLiteral(", ")));
}

void AddNotice(TvnCalDavSyncReport& report, const QString& notice) {
    if (notice.isEmpty()) return;
    report.Notice += (report.Notice.isEmpty() ? QString() : QStringLiteral("\n")) + notice;
}

}  // namespace

void TvnCalDavSync::NoteLocalChange(int eventId) {
    sqlite3* db = EventsDb(data_);
    if (db && eventId > 0) ado::TCalDavStore(db).SetLocalChanged(eventId, CalDavNowUtc());
}

void TvnCalDavSync::NoteLocalChanges(int userId) {
    sqlite3* db = EventsDb(data_);
    if (!db) return;
    ado::TCalDavStore store(db);
    const std::vector<TvnCalDavItem> items = store.Items(userId);
    if (items.empty()) return;
    const std::map<int, TvnEventParams> local = TvnUserEvents(data_, userId).Load();
    const qint64 now = CalDavNowUtc();
    for (const TvnCalDavItem& item : items) {
        if (item.LocalChanged != 0) continue;
        const auto it = local.find(item.EventID);
        if (it == local.end() || CalDavEventHash(it->second) != item.Hash)
            store.SetLocalChanged(item.EventID, now);
    }
}

bool TvnCalDavSync::Start(int userId) {
    if (run_) return false;
    sqlite3* db = EventsDb(data_);
    if (!db) return false;
    std::optional<TvnCalDavAccount> account;
    try {
        account = ado::TCalDavStore(db).Account(userId);
        if (!account || account->Calendar.isEmpty()) return false;
        NoteLocalChanges(userId);
    } catch (const std::exception&) {
        return false;  // a damaged table: the next start tries again
    }
    static int generation = 0;
    run_ = std::make_unique<Run>();
    run_->Generation = ++generation;
    run_->Account = *account;
    run_->Report.UserID = userId;
    const int gen = run_->Generation;
    // The answer may come after a prompt, when this run (or this object) is gone.
    auto withPassword = [this, self = QPointer<TvnCalDavSync>(this),
                         gen](std::optional<QString> password) {
        if (!self || !run_ || run_->Generation != gen) return;
        if (!password) return Fail(QStringLiteral("No password was given."));
        const TvnCalDavAccount& a = run_->Account;
        run_->At = {QUrl(a.Calendar), a.UserName, *password, a.Fingerprint};
        ListServer();
    };
    if (passwords_)
        passwords_(*account, withPassword);
    else
        withPassword(QString());
    return true;
}

void TvnCalDavSync::ListServer() {
    QString token;
    try {
        token = ado::TCalDavStore(EventsDb(data_)).SyncToken(run_->Account.UserID);
    } catch (const std::exception& e) {
        return Fail(QString::fromUtf8(e.what()));
    }
    client_.List(run_->At, token, [this](const TvnCalDavError& error, TvnCalDavListing listing) {
        if (error.Failed()) return Fail(error.Message);
        Listed(std::move(listing));
    });
}

namespace {

// What a run leaves alone is said, not hidden: a listing may name events on
// another server, where the password must not go.
QString ForeignNotice(const std::vector<QString>& foreign) {
    if (foreign.empty()) return {};
    QStringList named;
    for (size_t i = 0; i < foreign.size() && i < 3; ++i)
        named << foreign[i];
    if (foreign.size() > 3) named << QStringLiteral("...");
    return QStringLiteral(
               "The server listed %1 event(s) on another server; they were left "
               "alone: %2")
        .arg(foreign.size())
        .arg(named.join(QStringLiteral(", ")));
}

// The series kept as single events that go on, whose last occurrence here
// lies less than nine years ahead: time has moved on since they were read.
std::set<QString> SeriesToExtend(TvnCalendarData& data, int userId,
                                 const std::vector<TvnCalDavItem>& items) {
    std::map<QString, TDateTime> last;
    std::map<int, TvnEventParams> events;
    for (const TvnCalDavItem& item : items) {
        if (!item.GoesOn) continue;
        if (events.empty()) events = TvnUserEvents(data, userId).Load();
        const auto e = events.find(item.EventID);
        TDateTime& latest = last[CalDavHrefKey(item.Href)];
        if (e != events.end()) latest = std::max(latest, e->second.Date);
    }
    std::set<QString> out;
    for (const auto& [key, latest] : last)
        if (latest < Now() + 9 * 365.25) out.insert(key);
    return out;
}

}  // namespace

void TvnCalDavSync::Listed(TvnCalDavListing listing) {
    Run& run = *run_;
    std::map<QString, QByteArray> known;  // what the last run saw
    try {
        const std::vector<TvnCalDavItem> items =
            ado::TCalDavStore(EventsDb(data_)).Items(run.Account.UserID);
        for (const TvnCalDavItem& item : items)
            known[CalDavHrefKey(item.Href)] = item.ETag;
        run.Refresh = SeriesToExtend(data_, run.Account.UserID, items);
    } catch (const std::exception& e) {
        return Fail(QString::fromUtf8(e.what()));
    }
    run.Report.Notice = ForeignNotice(listing.Foreign);
    if (!listing.Full) {
        run.ServerETags = known;
        for (const QString& href : listing.Removed)
            run.ServerETags.erase(CalDavHrefKey(href));
    }
    for (const TvnCalDavResource& r : listing.Changed) {
        run.ServerETags[CalDavHrefKey(r.Href)] = r.ETag;
        run.ServerHrefs[CalDavHrefKey(r.Href)] = r.Href;
    }
    run.NewToken = listing.SyncToken;
    std::vector<QString> fetch;
    for (const auto& [key, etag] : run.ServerETags) {
        const auto it = known.find(key);
        if (it == known.end() || it->second != etag || run.Refresh.contains(key))
            fetch.push_back(run.ServerHrefs.contains(key) ? run.ServerHrefs[key] : key);
    }
    if (fetch.empty()) return StoreLocally();
    client_.Fetch(
        run.At, fetch,
        [this](std::vector<TvnCalDavResource> batch) { return TakeBatch(std::move(batch)); },
        [this](const TvnCalDavError& error, bool) {
            if (error.Failed()) return Fail(error.Message);
            StoreLocally();
        });
}

// Each batch is read into records as it arrives, its text let go. A
// resource that holds no event (a task, a journal entry) or that cannot be
// read is left alone on both sides and holds up nothing else; the ones that
// cannot be read are named in the report. A resource listed but gone by the
// time it was fetched has no download: it counts as deleted there.
QString TvnCalDavSync::TakeBatch(std::vector<TvnCalDavResource> resources) {
    Run& run = *run_;
    std::vector<std::pair<QString, QByteArray>> originals;
    for (TvnCalDavResource& r : resources) {
        TvnIcsReadResult read = ReadICalendar(r.Data, Now());
        r.Data.clear();
        const QString key = CalDavHrefKey(r.Href);
        const bool unreadable = !read.Error.isEmpty() || read.Skipped > 0 || read.Damaged > 0;
        if (unreadable) run.Unreadable.push_back(r.Href);
        if (unreadable || read.Events.empty()) {
            run.Untouched.insert(key);
            continue;
        }
        if (read.Events.size() == 1) originals.emplace_back(key, read.Events.front().Original);
        for (TvnIcsEvent& e : read.Events)
            e.Original.clear();
        run.ServerETags[key] = r.ETag;
        run.Downloads[key] = {r.Href, r.ETag, std::move(read.Events)};
    }
    return KeepOriginals(originals);
}

// The server's texts go to the database as they arrive, so that a large
// download is not held in memory; they describe the server, not the events
// here, so a run that fails later leaves nothing wrong behind.
QString TvnCalDavSync::KeepOriginals(const std::vector<std::pair<QString, QByteArray>>& texts) {
    if (texts.empty()) return {};
    TADOConnection* connection = data_.DataSet(tsEvents)->Connection();
    try {
        connection->BeginTrans();
        ado::TCalDavStore store(connection->Handle());
        for (const auto& [key, text] : texts)
            store.SaveOriginal(run_->Account.UserID, key, text);
        connection->CommitTrans();
    } catch (const std::exception& e) {
        if (connection->InTransaction()) connection->RollbackTrans();
        return QStringLiteral("The downloaded changes could not be stored: %1")
            .arg(QString::fromUtf8(e.what()));
    }
    return {};
}

void TvnCalDavSync::StoreLocally() {
    Run& run = *run_;
    TADOConnection* connection = data_.DataSet(tsEvents)->Connection();
    const TvnCalDavSyncReport before = run.Report;  // a rollback undoes the counts too
    bool changed = false;
    try {
        connection->BeginTrans();
        changed = ApplyServerChanges(data_, run);
        ado::TCalDavStore(connection->Handle()).SetSyncToken(run.Account.UserID, run.NewToken);
        connection->CommitTrans();
    } catch (const std::exception& e) {
        if (connection->InTransaction()) connection->RollbackTrans();
        run.Report = before;
        return Fail(QStringLiteral("The downloaded changes could not be stored: %1")
                        .arg(QString::fromUtf8(e.what())));
    }
    if (changed) emit EventsChanged(run.Account.UserID);
    AddNotice(run.Report, UnreadableNotice(run.Unreadable));
    SendNext();
}

// The uploads go one at a time; each is remembered as soon as the server took
// it, so a run cut short resends only what is left.
void TvnCalDavSync::SendNext() {
    Run& run = *run_;
    if (run.Uploads.empty()) return Finish(run.Report);
    TvnSyncUpload& up = run.Uploads.front();
    if (up.Delete) {
        client_.Remove(run.At, up.Href, up.IfMatch,
                       [this](const TvnCalDavError& error, bool) { Sent(error, QByteArray()); });
        return;
    }
    up.Data = WriteICalendar({up.Item}, Now(), SystemIcsTimeZone());
    client_.Put(run.At, up.Href, up.Data, up.IfMatch,
                [this](const TvnCalDavError& error, QByteArray etag) { Sent(error, etag); });
}

void TvnCalDavSync::Sent(const TvnCalDavError& error, const QByteArray& etag) {
    Run& run = *run_;
    const TvnSyncUpload up = std::move(run.Uploads.front());
    run.Uploads.pop_front();
    // Changed there meanwhile: the next run sees the change and settles it.
    if (error.Failed() && error.Status != 412) return Fail(error.Message);
    if (!error.Failed()) {
        try {
            Remember(up, etag);
        } catch (const std::exception& e) {
            return Fail(QString::fromUtf8(e.what()));
        }
    }
    SendNext();
}

void TvnCalDavSync::Remember(const TvnSyncUpload& up, const QByteArray& etag) {
    Run& run = *run_;
    ado::TCalDavStore store(EventsDb(data_));
    if (up.Delete) {
        store.RemoveItem(up.EventID);
        store.SaveOriginal(run.Account.UserID, CalDavHrefKey(up.Href), {});
        ++run.Report.DeletedThere;
        return;
    }
    store.SaveItem(run.Account.UserID, {up.EventID, up.Href, etag, up.Item.Uid,
                                        CalDavEventHash(up.Item.Event), 0, false});
    // What the server now holds is what the next change is written over.
    if (!up.Item.Original.isEmpty())
        store.SaveOriginal(run.Account.UserID, CalDavHrefKey(up.Href), up.Data);
    ++run.Report.Uploaded;
}

void TvnCalDavSync::Fail(const QString& message) {
    TvnCalDavSyncReport report = run_->Report;
    report.Error = message;
    Finish(report);
}

void TvnCalDavSync::Finish(TvnCalDavSyncReport report) {
    run_.reset();
    report.Ended = QDateTime::currentDateTime();
    emit Finished(report);
}
