#include "sync/Vnpasswords.h"

#include <qt6keychain/keychain.h>

#include <QWidget>
#include <cstdio>

#include "platform/Dialogs.h"

namespace {

const QString kService = QStringLiteral("Vornel CalDAV");

class TKeychainStore : public TvnSecretStore {
public:
    void Read(const QString& key, ReadDone done) override {
        auto* job = new QKeychain::ReadPasswordJob(kService);
        job->setAutoDelete(true);
        job->setKey(key);
        QObject::connect(job, &QKeychain::Job::finished, [done](QKeychain::Job* j) {
            const auto* read = static_cast<QKeychain::ReadPasswordJob*>(j);
            if (read->error() == QKeychain::NoError)
                return done(TReadResult::Found, read->textData());
            if (read->error() == QKeychain::EntryNotFound) return done(TReadResult::Missing, {});
            Report("read", j);
            done(TReadResult::Unavailable, {});
        });
        job->start();
    }

    void Write(const QString& key, const QString& password) override {
        auto* job = new QKeychain::WritePasswordJob(kService);
        job->setKey(key);
        job->setTextData(password);
        Start(job, "stored");
    }

    void Remove(const QString& key) override {
        auto* job = new QKeychain::DeletePasswordJob(kService);
        job->setKey(key);
        Start(job, "removed");
    }

private:
    static void Start(QKeychain::Job* job, const char* what) {
        job->setAutoDelete(true);
        QObject::connect(job, &QKeychain::Job::finished, [what](QKeychain::Job* j) {
            if (j->error() != QKeychain::NoError && j->error() != QKeychain::EntryNotFound)
                Report(what, j);
        });
        job->start();
    }

    // The user sees the effect (being asked again next run); the reason goes
    // to standard error for whoever looks.
    static void Report(const char* what, QKeychain::Job* job) {
        std::fprintf(stderr, "Vornel: the CalDAV password could not be %s: %s\n", what,
                     job->errorString().toUtf8().constData());
    }
};

}  // namespace

std::unique_ptr<TvnSecretStore> KeychainSecretStore() {
    return std::make_unique<TKeychainStore>();
}

TvnCalDavPasswords::TvnCalDavPasswords(std::unique_ptr<TvnSecretStore> store, QObject* parent)
    : QObject(parent), store_(store ? std::move(store) : KeychainSecretStore()) {}

TvnCalDavPasswords::~TvnCalDavPasswords() = default;

QString TvnCalDavPasswords::Key(const TvnCalDavAccount& account) {
    return account.UserName + u'@' + account.Server;
}

void TvnCalDavPasswords::Get(const TvnCalDavAccount& account, QWidget* askParent,
                             std::function<void(std::optional<QString>)> done) {
    const QString key = Key(account);
    if (auto it = known_.find(key); it != known_.end()) return done(it->second);
    if (declined_.count(key)) return done(std::nullopt);
    auto& waiting = waiting_[key];
    waiting.push_back(std::move(done));
    if (waiting.size() > 1) return;  // the read under way answers this one too
    QPointer<TvnCalDavPasswords> self(this);
    QPointer<QWidget> parent(askParent);
    store_->Read(key, [self, key, account, parent](TvnSecretStore::TReadResult result,
                                                   const QString& password) {
        if (self) self->ReadDone(key, account, parent, result, password);
    });
}

void TvnCalDavPasswords::ReadDone(const QString& key, const TvnCalDavAccount& account,
                                  QPointer<QWidget> askParent, TvnSecretStore::TReadResult result,
                                  const QString& password) {
    using R = TvnSecretStore::TReadResult;
    if (result == R::Found) return Deliver(key, password);
    const std::optional<QString> typed =
        PasswordBox(QStringLiteral("CalDAV"),
                    QStringLiteral("Password for %1 on %2:").arg(account.UserName, account.Server),
                    askParent.data());
    if (!typed) declined_.insert(key);
    // Where a store answered, the typed password goes there for later runs.
    if (typed && result == R::Missing) store_->Write(key, *typed);
    Deliver(key, typed);
}

void TvnCalDavPasswords::Deliver(const QString& key, std::optional<QString> password) {
    if (password) known_[key] = *password;
    auto callers = std::move(waiting_[key]);
    waiting_.erase(key);
    for (auto& done : callers)
        done(password);
}

void TvnCalDavPasswords::Set(const TvnCalDavAccount& account, const QString& password) {
    const QString key = Key(account);
    known_[key] = password;
    declined_.erase(key);
    store_->Write(key, password);
}

void TvnCalDavPasswords::Forget(const TvnCalDavAccount& account) {
    const QString key = Key(account);
    known_.erase(key);
    declined_.erase(key);
    store_->Remove(key);
}
