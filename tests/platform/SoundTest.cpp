// The sound player that runs each sound in a child process: quiet failures
// for files that are not there, the child stopped by the next sound and by the
// time limit, and how a child that cannot play is reported. Stand-in player
// programs (small shell scripts) take the real one's place, so that these
// tests need no sound server; the notification window's tests play for real.
#include <gtest/gtest.h>
#include <signal.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cerrno>
#include <chrono>
#include <functional>

#include "platform/Sound.h"
#include "support/CapturedStandardError.h"

namespace {

using namespace std::chrono_literals;

bool WaitFor(const std::function<bool()>& done, int ms = 10000) {
    QDeadlineTimer deadline(ms);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

// Gone for good: ended and reaped, not a zombie.
bool ProcessGone(qint64 pid) {
    return kill(static_cast<pid_t>(pid), 0) == -1 && errno == ESRCH;
}

// A folder with one sound file and stand-in player programs.
class PlayerFolder {
public:
    PlayerFolder() { Write("one.wav", "RIFF"), Write("two.wav", "RIFF"); }
    QString Path(const QString& name) const { return dir_.filePath(name); }
    // A player program that runs the shell text with the sound file as $1.
    QString Script(const QString& name, const QByteArray& body) {
        Write(name, "#!/bin/sh\n" + body + "\n");
        QFile::setPermissions(Path(name), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return Path(name);
    }

private:
    void Write(const QString& name, const QByteArray& text) {
        QFile f(Path(name));
        if (f.open(QIODevice::WriteOnly)) f.write(text);
    }
    QTemporaryDir dir_;
};

}  // namespace

// Whatever the machine's audio, a sound that cannot start is a quiet false.
TEST(SoundPlayer, FilesThatDoNotExistFailQuietly) {
    QTemporaryDir dir;
    TProcessSoundPlayer player;
    QObject listener;
    int failures = 0;
    player.SetOnFailure(&listener, [&](const QString&, const QString&) { ++failures; });
    EXPECT_FALSE(player.Play(""));
    EXPECT_FALSE(player.Play(dir.filePath("missing.wav")));
    EXPECT_FALSE(player.Play(dir.path()));  // a folder is no sound
    EXPECT_TRUE(player.CurrentFile().isEmpty());
    player.Stop();
    EXPECT_TRUE(player.CurrentFile().isEmpty());
    EXPECT_EQ(failures, 0);
}

TEST(SoundPlayer, AFileThatIsNoSoundNeverThrowsOrHangs) {
    QTemporaryDir dir;
    QFile f(dir.filePath("noise.wav"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("this is not a wave file");
    f.close();
    TProcessSoundPlayer player;
    const bool started = player.Play(f.fileName());
    EXPECT_EQ(player.CurrentFile().isEmpty(), !started);
    player.Stop();
    EXPECT_TRUE(player.CurrentFile().isEmpty());
}

// A player that goes on for ever: the next sound kills it, and so does the
// limit; neither is a failure to report.
TEST(SoundPlayer, TheNextSoundAndTheTimeLimitKillThePlayingChild) {
    PlayerFolder folder;
    const QString endless = folder.Script("endless", "exec sleep 600");
    TProcessSoundPlayer player(endless, 500ms);
    QObject listener;
    int failures = 0;
    player.SetOnFailure(&listener, [&](const QString&, const QString&) { ++failures; });

    ASSERT_TRUE(player.Play(folder.Path("one.wav")));
    const qint64 first = player.ProcessId();
    ASSERT_GT(first, 0);
    ASSERT_TRUE(player.Play(folder.Path("two.wav")));
    const qint64 second = player.ProcessId();
    EXPECT_NE(second, first);
    EXPECT_EQ(player.CurrentFile(), folder.Path("two.wav"));
    EXPECT_TRUE(WaitFor([&] { return ProcessGone(first); }));
    EXPECT_FALSE(ProcessGone(second));

    EXPECT_TRUE(WaitFor([&] { return ProcessGone(second); }));  // the limit's work
    EXPECT_TRUE(player.CurrentFile().isEmpty());
    EXPECT_EQ(player.ProcessId(), 0);
    EXPECT_EQ(failures, 0);
}

TEST(SoundPlayer, StoppingOrDestroyingThePlayerKillsTheChild) {
    PlayerFolder folder;
    const QString endless = folder.Script("endless", "exec sleep 600");
    qint64 pid = 0;
    {
        TProcessSoundPlayer player(endless);
        ASSERT_TRUE(player.Play(folder.Path("one.wav")));
        player.Stop();
        ASSERT_TRUE(player.Play(folder.Path("one.wav")));
        pid = player.ProcessId();
    }
    EXPECT_TRUE(WaitFor([&] { return ProcessGone(pid); }));
}

// What a child that could not play leaves behind: its last line of standard
// error, or what became of it. The window hears each failure; standard error
// names the same file and reason once.
struct FailureRow {
    const char* Name;
    const char* Script;  // empty: no player program at all
    const char* Reason;  // empty: the sound played, nothing to report
};

class PlayerFailure : public ::testing::TestWithParam<FailureRow> {};

TEST_P(PlayerFailure, IsHeardEachTimeAndWrittenOnce) {
    const FailureRow& row = GetParam();
    PlayerFolder folder;
    const QString program = *row.Script ? folder.Script("player", row.Script)
                                        : folder.Path("not-installed/vornel-sound");
    const QString sound = folder.Path("one.wav");
    QString reason = QString::fromUtf8(row.Reason);
    reason.replace("<program>", program);
    CapturedStandardError standardError;
    TProcessSoundPlayer player(program);
    QObject listener;
    QStringList heard;
    player.SetOnFailure(&listener, [&](const QString& file, const QString& why) {
        heard << file + u'|' + why;
        player.Play(file);  // a listener may start the next sound at once
    });

    const bool started = player.Play(sound);
    EXPECT_EQ(started, !!*row.Script);
    if (reason.isEmpty()) {
        EXPECT_TRUE(WaitFor([&] { return player.CurrentFile().isEmpty(); }));
        QCoreApplication::processEvents();
        EXPECT_TRUE(heard.isEmpty()) << heard.join(u'\n').toStdString();
        EXPECT_TRUE(standardError.Lines().isEmpty());
        return;
    }
    WaitFor([&] { return heard.size() >= 3; });
    player.SetOnFailure(nullptr, {});
    ASSERT_GE(heard.size(), 3);
    EXPECT_EQ(heard.first(), sound + u'|' + reason);
    EXPECT_EQ(standardError.Lines(),
              QStringList{"Vornel: The sound could not be played: " + sound + ": " + reason});
}

INSTANTIATE_TEST_SUITE_P(
    Rows, PlayerFailure,
    ::testing::Values(
        FailureRow{"ReasonLine",
                   "echo 'media chatter' >&2; echo 'no sound output device' >&2; exit 3",
                   "no sound output device"},
        FailureRow{"SilentExit", "exit 5", "the sound player ended with code 5"},
        FailureRow{"Crash", "kill -KILL $$", "the sound player stopped unexpectedly"},
        FailureRow{"NoProgram", "", "the sound player <program> is missing"},
        FailureRow{"Played", "exit 0", ""}),
    [](const auto& info) { return std::string(info.param.Name); });
