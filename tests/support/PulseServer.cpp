#include "support/PulseServer.h"

#include <sys/prctl.h>

#include <csignal>

#include <QDeadlineTimer>
#include <QDir>
#include <QLocalSocket>
#include <QStandardPaths>

namespace {

constexpr int kStartMs = 15000;

QString Program() {
    return QStandardPaths::findExecutable(QStringLiteral("pulseaudio"));
}

}  // namespace

bool PulseServer::Installed() {
    return !Program().isEmpty();
}

PulseServer::PulseServer() {
    if (!Installed()) {
        error_ = QStringLiteral("pulseaudio is not installed");
        return;
    }
    const QString runtime = dir_.filePath(QStringLiteral("runtime"));
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), dir_.path());
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir_.filePath(QStringLiteral("config")));
    env.remove(QStringLiteral("PULSE_SERVER"));
    process_ = std::make_unique<QProcess>();
    process_->setProcessEnvironment(env);
    process_->setProcessChannelMode(QProcess::MergedChannels);
    // A test killed at its time limit must not leave the server running.
    process_->setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGKILL); });
    // No configuration of the machine's (-n): a null sink, and a socket any
    // client may use without the cookie. Run as root it only warns.
    process_->start(
        Program(),
        {QStringLiteral("-n"), QStringLiteral("--daemonize=no"),
         QStringLiteral("--exit-idle-time=-1"), QStringLiteral("--system=false"),
         QStringLiteral("--use-pid-file=no"), QStringLiteral("--log-target=stderr"),
         QStringLiteral("-L"), QStringLiteral("module-null-sink"), QStringLiteral("-L"),
         QStringLiteral("module-native-protocol-unix auth-anonymous=1 socket=") + Socket()});
    QDeadlineTimer deadline(kStartMs);
    while (!deadline.hasExpired() && process_->state() != QProcess::NotRunning) {
        QLocalSocket socket;
        socket.connectToServer(Socket());
        if (socket.waitForConnected(200)) return;
        process_->waitForFinished(50);
    }
    error_ = QStringLiteral("pulseaudio did not start: ") +
             QString::fromLocal8Bit(process_->readAll()).trimmed();
    process_.reset();
}

PulseServer::~PulseServer() {
    if (!process_) return;
    process_->kill();
    process_->waitForFinished(5000);
}

bool PulseServer::Running() const {
    return process_ && process_->state() == QProcess::Running;
}

QString PulseServer::Socket() const {
    return dir_.filePath(QStringLiteral("native"));
}

QString PulseServer::Address() const {
    return QStringLiteral("unix:") + Socket();
}
