// One running Vornel per user: the first start listens on a local socket in
// the user's runtime folder; a later start asks it to show its window and ends.
#pragma once

#include <QByteArray>
#include <QLocalServer>
#include <QObject>
#include <QString>

class QLocalSocket;

enum class TInstanceRole {
    First,      // this process runs the program and listens for later starts
    Second,     // another instance runs and was asked to show itself: exit with 0
    Unguarded,  // no runtime folder to meet in: run, without the guard
};

class TSingleInstance : public QObject {
    Q_OBJECT
public:
    // name: the socket's file name in $XDG_RUNTIME_DIR; the default is per user.
    explicit TSingleInstance(const QString& name = DefaultName(), QObject* parent = nullptr);

    static QString DefaultName();

    // Decides this process's role; the check and the listening are one step
    // under a lock file, so two starts at once leave exactly one running.
    // The activation token goes to the running instance so that Wayland lets
    // it come to the front; read it before the QGuiApplication exists, since
    // the platform plugin takes it from the environment.
    TInstanceRole Claim(const QByteArray& activationToken = qgetenv("XDG_ACTIVATION_TOKEN"));

    QString SocketPath() const;

    // Called by the running instance before it raises its window for a
    // request: hands the token to the window system's activation.
    static void PrepareActivation(const QByteArray& activationToken);

signals:
    // A later start asked for the window; the token is empty when it had none.
    void ShowRequested(const QByteArray& activationToken);

private:
    bool AskRunningToShow(const QByteArray& activationToken);
    bool Listen();
    void OnNewConnection();
    void ReadRequest(QLocalSocket* socket);

    QString folder_;
    QString name_;
    QLocalServer server_;
};
