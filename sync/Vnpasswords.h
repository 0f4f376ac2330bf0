// The CalDAV passwords, kept in the desktop's secret store (QtKeychain,
// service "Vornel CalDAV", key "<UserName>@<Server>") and never in
// Settings.ini or the database. Read ones are cached for the run. Where no
// secret store answers, the user is asked once per run and the answer is
// kept in memory only.
//
// Wiring (the main window owns one, made with the default store):
//   sync.SetPasswordSource([&](const TvnCalDavAccount& a, auto done) {
//       passwords.Get(a, this, std::move(done)); });
//   after the account dialog's OK:  passwords.Set(account, password);
//   after "Remove binding":         passwords.Forget(oldAccount);
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <vector>

#include "sync/Vncaldavtypes.h"

class QWidget;

// Where passwords are kept between runs. Tests use one of their own, so that
// they never wait on D-Bus for a secret service.
class TvnSecretStore {
public:
    enum class TReadResult { Found, Missing, Unavailable };
    using ReadDone = std::function<void(TReadResult, const QString& password)>;

    virtual ~TvnSecretStore() = default;
    virtual void Read(const QString& key, ReadDone done) = 0;
    // Failures are not reported: the password stays in the run's memory.
    virtual void Write(const QString& key, const QString& password) = 0;
    virtual void Remove(const QString& key) = 0;
};

// The desktop's secret store through QtKeychain.
std::unique_ptr<TvnSecretStore> KeychainSecretStore();

class TvnCalDavPasswords : public QObject {
    Q_OBJECT

public:
    // store null: the desktop's secret store.
    explicit TvnCalDavPasswords(std::unique_ptr<TvnSecretStore> store = nullptr,
                                QObject* parent = nullptr);
    ~TvnCalDavPasswords() override;

    static QString Key(const TvnCalDavAccount& account);

    // The password: from memory, else the secret store, else asked of the
    // user ("Password for <user> on <server>:") over askParent. nullopt when
    // the user declined; a declined account is not asked again this run,
    // until Set. done may run before Get returns.
    void Get(const TvnCalDavAccount& account, QWidget* askParent,
             std::function<void(std::optional<QString>)> done);
    void Set(const TvnCalDavAccount& account, const QString& password);  // memory + store
    void Forget(const TvnCalDavAccount& account);                        // both

private:
    void ReadDone(const QString& key, const TvnCalDavAccount& account, QPointer<QWidget> askParent,
                  TvnSecretStore::TReadResult result, const QString& password);
    void Deliver(const QString& key, std::optional<QString> password);

    std::unique_ptr<TvnSecretStore> store_;
    std::map<QString, QString> known_;
    std::set<QString> declined_;
    // Callers waiting for a read of their key under way.
    std::map<QString, std::vector<std::function<void(std::optional<QString>)>>> waiting_;
};
