// Which action files the desktop's handler would run rather than show.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "platform/Shell.h"

namespace {

struct LaunchRow {
    const char* Name;
    const char* File;
    QByteArray Content;
    bool Executable;
    bool Runs;
};

class ActionFile : public ::testing::TestWithParam<LaunchRow> {};

// A server or a file could name /bin/sh as an event's action file, and the
// reminder handed it to the desktop's handler when the event fell due.
TEST_P(ActionFile, ThatIsAProgramWasOpenedThroughTheDesktop) {
    const LaunchRow& row = GetParam();
    QTemporaryDir dir;
    const QString path = dir.filePath(QLatin1String(row.File));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(row.Content);
    file.close();
    if (row.Executable) file.setPermissions(file.permissions() | QFile::ExeOwner);
    EXPECT_EQ(RunsAsProgram(path), row.Runs);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, ActionFile,
    ::testing::Values(LaunchRow{"Text", "agenda.txt", "Bring the slides\n", false, false},
                      LaunchRow{"Pdf", "ticket.pdf", "%PDF-1.4\n", false, false},
                      LaunchRow{"ExecuteBit", "agenda.txt", "Bring the slides\n", true, true},
                      LaunchRow{"ScriptWithoutExecuteBit", "notes", "#!/bin/sh\nrm -rf ~\n", false,
                                true},
                      LaunchRow{"DesktopEntry", "open.desktop",
                                "[Desktop Entry]\nType=Application\nExec=sh\n", false, true},
                      LaunchRow{"DesktopEntryUnderAnotherName", "photo.jpg",
                                "\n[Desktop Entry]\nExec=sh\n", false, true},
                      LaunchRow{"LinuxProgram", "player",
                                QByteArray("\x7f"
                                           "ELF\x02\x01\x01",
                                           7),
                                false, true},
                      LaunchRow{"WindowsProgram", "setup.exe", "MZ\x90", false, true},
                      LaunchRow{"ShellScriptByName", "backup.sh", "echo hi\n", false, true}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(ActionFile, MissingFilesAndFoldersAreNoPrograms) {
    QTemporaryDir dir;
    EXPECT_FALSE(RunsAsProgram(dir.path()));
    EXPECT_FALSE(RunsAsProgram(dir.filePath(QStringLiteral("gone.txt"))));
    EXPECT_TRUE(RunsAsProgram(QStringLiteral("/bin/sh")));
}

}  // namespace
