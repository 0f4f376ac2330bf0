// The real program under a real window manager, where windows have frames
// and are closed by their title bar: what it writes of its window is what
// the next start restores, and it is on disk before the program is killed.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include "app/Vnfirststart.h"
#include "app/Vnsettings.h"
#include "store/Datafolder.h"
#include "support/TestSupport.h"
#include "support/XSession.h"

namespace {

const QString kTitle = QStringLiteral("Vornel Pro");

// The settings file is replaced whole by a rename: a new inode is a new write.
ino_t FileId(const QString& path) {
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_ino : 0;
}

class ProgramUnderAWindowManager : public ::testing::Test {
protected:
    void SetUp() override {
        if (!x.Running()) {
            if (x.Missing().startsWith(QLatin1String("not installed")))
                GTEST_SKIP() << x.Missing().toStdString();
            FAIL() << x.Missing().toStdString();
        }
        QFile::setPermissions(runtime.path(),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        SetDataFolder(home.path() + u'/');
        CreateDeliveredDatabase(DatabaseFilePath());
        TvnSettings settings;
        settings.ProgOptions = DeliveredProgOptions();
        settings.Users.UserNames[0] = QStringLiteral("Default");
        settings.Users.UserStates[0] = usInUse;
        ASSERT_TRUE(WriteSettings(settings, {0, 60, 40, 1100, 700}, SettingsFilePath()));
    }
    void TearDown() override { SetDataFolder({}); }

    // Starts the program, closes its window by the window manager as a user
    // would (it stays running, hidden), waits for the settings, kills it.
    void RunAndKill() {
        QProcess program;
        QProcessEnvironment env = x.Environment();
        env.insert(QStringLiteral("VORNEL_HOME"), home.path());
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
        program.setProcessEnvironment(env);
        program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        program.start(QStringLiteral(VORNEL_PROGRAM), {});
        ASSERT_TRUE(program.waitForStarted(10000));
        const auto listed = [&] {
            return x.Run(QStringLiteral("wmctrl"), {QStringLiteral("-l")}).contains(kTitle);
        };
        EXPECT_TRUE(WaitUntil(listed, 20000)) << "the window never appeared";
        QThread::msleep(500);  // framed and placed
        const ino_t before = FileId(SettingsFilePath());
        x.Run(QStringLiteral("wmctrl"), {QStringLiteral("-c"), kTitle});
        EXPECT_TRUE(WaitUntil([&] { return FileId(SettingsFilePath()) != before; }, 10000))
            << "closing the window wrote no settings";
        program.kill();
        program.waitForFinished(10000);
    }

    TXSession x;
    QTemporaryDir home, runtime;
};

TEST_F(ProgramUnderAWindowManager, TheWindowGrewAtEveryStart) {
    for (int start = 1; start <= 2; ++start) {
        RunAndKill();
        const TProgOptions o = ReadSettings({}, SettingsFilePath()).ProgOptions;
        EXPECT_EQ(o.WindowWidth, 1100) << "after start " << start;
        EXPECT_EQ(o.WindowHeight, 700) << "after start " << start;
    }
}

}  // namespace
