#include "support/XSession.h"

#include <unistd.h>

#include <QFileInfo>
#include <QStandardPaths>

#include "support/TestSupport.h"

TXSession::TXSession() {
    for (const char* tool : {"Xvfb", "openbox", "wmctrl"})
        if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty())
            missing_ += QLatin1String(tool) + u' ';
    if (!missing_.isEmpty()) {
        missing_ = QStringLiteral("not installed: ") + missing_.trimmed();
        return;
    }
    if (!StartServer())
        missing_ = QStringLiteral("Xvfb did not start");
    else if (!StartWindowManager())
        missing_ = QStringLiteral("openbox did not start");
}

TXSession::~TXSession() {
    for (QProcess* p : {&manager_, &server_}) {
        if (p->state() == QProcess::NotRunning) continue;
        p->terminate();
        if (!p->waitForFinished(5000)) p->kill();
        p->waitForFinished(5000);
    }
}

// A display number nobody uses: tests run side by side, each with its own.
bool TXSession::StartServer() {
    for (int attempt = 0; attempt < 20; ++attempt) {
        const int number = 100 + (getpid() * 7 + attempt) % 800;
        const QString socket = QStringLiteral("/tmp/.X11-unix/X%1").arg(number);
        if (QFileInfo::exists(socket) ||
            QFileInfo::exists(QStringLiteral("/tmp/.X%1-lock").arg(number)))
            continue;
        display_ = QStringLiteral(":%1").arg(number);
        server_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        server_.start(QStringLiteral("Xvfb"), {display_, QStringLiteral("-screen"),
                                               QStringLiteral("0"), QStringLiteral("1600x1200x24"),
                                               QStringLiteral("-nolisten"), QStringLiteral("tcp")});
        if (!server_.waitForStarted(5000)) return false;
        if (WaitUntil(
                [&] { return QFileInfo::exists(socket) || server_.state() != QProcess::Running; },
                10000) &&
            server_.state() == QProcess::Running)
            return true;
        server_.waitForFinished(1000);
    }
    return false;
}

bool TXSession::StartWindowManager() {
    manager_.setProcessEnvironment(Environment());
    manager_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    manager_.start(QStringLiteral("openbox"), {QStringLiteral("--sm-disable")});
    if (!manager_.waitForStarted(5000)) return false;
    // Managing once it answers as the window manager of the display.
    // The first start on a machine may build font caches: give it time.
    return WaitUntil(
        [&] { return !Run(QStringLiteral("wmctrl"), {QStringLiteral("-m")}).isEmpty(); }, 60000);
}

QProcessEnvironment TXSession::Environment() const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), display_);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    return env;
}

QString TXSession::Run(const QString& tool, const QStringList& arguments) const {
    QProcess p;
    p.setProcessEnvironment(Environment());
    p.start(tool, arguments);
    if (!p.waitForFinished(10000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return {};
    return QString::fromLocal8Bit(p.readAllStandardOutput());
}
