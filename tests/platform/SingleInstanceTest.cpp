// One running instance: later starts hand their request to the first one and
// end with 0, also when started together or after the first one crashed.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QLocalSocket>
#include <QProcess>
#include <QTemporaryDir>
#include <functional>
#include <memory>

#include "platform/SingleInstance.h"
#include "support/TestSupport.h"

namespace {

const QString kSocketName = QStringLiteral("probe.socket");

class SingleInstanceTest : public ::testing::Test {
protected:
    // Starts the probe with our own runtime folder; busyMs keeps a first
    // instance from reading its socket for that long.
    std::unique_ptr<QProcess> Start(const QByteArray& token = {}, int busyMs = 0) {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime_.path());
        if (token.isEmpty())
            env.remove(QStringLiteral("XDG_ACTIVATION_TOKEN"));
        else
            env.insert(QStringLiteral("XDG_ACTIVATION_TOKEN"), QString::fromLatin1(token));
        process->setProcessEnvironment(env);
        process->start(QStringLiteral(VORNEL_SINGLE_INSTANCE_PROBE),
                       {kSocketName, QString::number(busyMs)});
        EXPECT_TRUE(process->waitForStarted(5000));
        return process;
    }

    // The probe's next line, empty when none came within the time.
    static QByteArray NextLine(QProcess& process, int timeoutMs = 10000) {
        QDeadlineTimer deadline(timeoutMs);
        while (!process.canReadLine() && !deadline.hasExpired())
            if (!process.waitForReadyRead(int(deadline.remainingTime()))) break;
        return process.readLine().trimmed();
    }

    static void Kill(QProcess& process) {
        process.kill();
        process.waitForFinished(5000);
    }

    QString SocketPath() const { return runtime_.filePath(kSocketName); }

    QTemporaryDir runtime_;
};

bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 5000) {
    QDeadlineTimer deadline(timeoutMs);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    return done();
}

}  // namespace

TEST_F(SingleInstanceTest, SecondStartShowsTheFirstAndEndsWithZeroAlsoAfterACrash) {
    auto first = Start();
    ASSERT_EQ(NextLine(*first), "first");
    auto second = Start("launcher-token-1");
    ASSERT_TRUE(second->waitForFinished(10000));
    EXPECT_EQ(second->exitCode(), 0);
    EXPECT_EQ(NextLine(*second), "second");
    EXPECT_EQ(NextLine(*first), "show launcher-token-1");

    Kill(*first);
    ASSERT_TRUE(QFileInfo::exists(SocketPath())) << "a killed instance leaves its socket";
    auto next = Start();
    EXPECT_EQ(NextLine(*next), "first");
    auto after = Start();
    ASSERT_TRUE(after->waitForFinished(10000));
    EXPECT_EQ(NextLine(*after), "second");
    EXPECT_EQ(NextLine(*next), "show") << "no token, no token passed on";
    Kill(*next);
}

TEST_F(SingleInstanceTest, TwoStartsAtOnceLeaveExactlyOneRunning) {
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        auto a = Start("token-a", 700);
        auto b = Start("token-b", 700);
        const QByteArray roleA = NextLine(*a);
        const QByteArray roleB = NextLine(*b);
        ASSERT_TRUE((roleA == "first" && roleB == "second") ||
                    (roleA == "second" && roleB == "first"))
            << roleA.constData() << " / " << roleB.constData();
        QProcess& running = roleA == "first" ? *a : *b;
        QProcess& ended = roleA == "first" ? *b : *a;
        ASSERT_TRUE(ended.waitForFinished(10000));
        EXPECT_EQ(ended.exitCode(), 0);
        // The request waited in the socket while the first one was busy.
        EXPECT_EQ(NextLine(running), &ended == b.get() ? "show token-b" : "show token-a");
        Kill(running);
    }
}

TEST_F(SingleInstanceTest, RequestsOtherThanShowAreIgnoredAndBadTokensDropped) {
    const QByteArray savedRuntime = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", runtime_.path().toLocal8Bit());
    TSingleInstance instance(kSocketName);
    qputenv("XDG_RUNTIME_DIR", savedRuntime);
    ASSERT_EQ(instance.Claim(), TInstanceRole::First);
    QList<QByteArray> tokens;
    QObject::connect(&instance, &TSingleInstance::ShowRequested,
                     [&](const QByteArray& token) { tokens << token; });
    for (const QByteArray& request : {QByteArray("quit\n"), QByteArray("show bad\x01token\n"),
                                      QByteArray(8192, 'x'), QByteArray("show ok\n")}) {
        QLocalSocket client;
        client.connectToServer(SocketPath());
        ASSERT_TRUE(client.waitForConnected(2000));
        client.write(request);
        client.waitForBytesWritten(2000);
        WaitUntil([&] { return client.state() == QLocalSocket::UnconnectedState; });
    }
    ASSERT_TRUE(WaitUntil([&] { return tokens.size() == 2; }));
    EXPECT_EQ(tokens, (QList<QByteArray>{QByteArray(), QByteArray("ok")}));
}
