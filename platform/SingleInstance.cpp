#include "platform/SingleInstance.h"

#include <unistd.h>
#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <QTimer>

namespace {

const QByteArray kShowRequest = "show";
// A request is one short line; anything longer is not ours.
constexpr qint64 kMaxRequest = 4096;
constexpr int kConnectTimeoutMs = 2000;
// Long enough for a first start that is still writing its socket file.
constexpr int kLockTimeoutMs = 10000;
// A client that says nothing is dropped after this.
constexpr int kRequestTimeoutMs = 5000;

// Tokens are printable ASCII without blanks; anything else is dropped
// rather than handed to the window system.
bool IsToken(const QByteArray& token) {
    for (char c : token)
        if (c <= ' ' || c > '~') return false;
    return true;
}

}  // namespace

TSingleInstance::TSingleInstance(const QString& name, QObject* parent)
    : QObject(parent),
      folder_(QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation)),
      name_(name) {
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&server_, &QLocalServer::newConnection, this, &TSingleInstance::OnNewConnection);
}

QString TSingleInstance::DefaultName() {
    return QStringLiteral("vornel-%1.socket").arg(getuid());
}

QString TSingleInstance::SocketPath() const {
    return folder_.isEmpty() ? QString() : QDir(folder_).filePath(name_);
}

TInstanceRole TSingleInstance::Claim(const QByteArray& activationToken) {
    if (folder_.isEmpty() || !QFileInfo(folder_).isDir()) return TInstanceRole::Unguarded;
    QLockFile lock(SocketPath() + QStringLiteral(".lock"));
    // Without the lock (a holder stuck for seconds) a running instance may
    // still answer; only then is it safe to leave.
    const bool locked = lock.tryLock(kLockTimeoutMs);
    if (AskRunningToShow(activationToken)) return TInstanceRole::Second;
    if (!locked) return TInstanceRole::Unguarded;
    return Listen() ? TInstanceRole::First : TInstanceRole::Unguarded;
}

bool TSingleInstance::AskRunningToShow(const QByteArray& activationToken) {
    QLocalSocket socket;
    socket.connectToServer(SocketPath());
    if (!socket.waitForConnected(kConnectTimeoutMs)) return false;
    QByteArray request = kShowRequest;
    if (!activationToken.isEmpty() && IsToken(activationToken)) request += ' ' + activationToken;
    socket.write(request + '\n');
    // Once written, the request waits in the socket until the running
    // instance's loop reads it, even if that instance is still starting.
    const bool written = socket.waitForBytesWritten(kConnectTimeoutMs);
    socket.disconnectFromServer();
    return written;
}

bool TSingleInstance::Listen() {
    // Called under the lock with no instance answering: a socket file left
    // here belongs to a crashed instance. (With access options Qt binds in a
    // temporary folder and renames over the path, replacing any file there,
    // which is why nothing may listen before the connect attempt failed.)
    QLocalServer::removeServer(SocketPath());
    return server_.listen(SocketPath());
}

void TSingleInstance::OnNewConnection() {
    while (QLocalSocket* socket = server_.nextPendingConnection()) {
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { ReadRequest(socket); });
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        QTimer::singleShot(kRequestTimeoutMs, socket, &QObject::deleteLater);
        ReadRequest(socket);
    }
}

void TSingleInstance::ReadRequest(QLocalSocket* socket) {
    if (socket->bytesAvailable() > kMaxRequest) {
        socket->abort();
        return;
    }
    if (!socket->canReadLine()) return;
    const QByteArray line = socket->readLine().trimmed();
    const qsizetype blank = line.indexOf(' ');
    const QByteArray verb = blank < 0 ? line : line.left(blank);
    const QByteArray token = blank < 0 ? QByteArray() : line.mid(blank + 1);
    socket->disconnectFromServer();
    if (verb != kShowRequest) return;
    emit ShowRequested(IsToken(token) ? token : QByteArray());
}

void TSingleInstance::PrepareActivation(const QByteArray& activationToken) {
    // Qt's Wayland plugin activates the next raised window with this token.
    if (!activationToken.isEmpty() && IsToken(activationToken))
        qputenv("XDG_ACTIVATION_TOKEN", activationToken);
}
