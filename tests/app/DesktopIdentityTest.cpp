// How the program presents itself to the desktop: its desktop file name, the
// program path of its login start entry, the manual of Help > Contents and
// Help > Home page, and the About box.
#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QUrl>
#include <memory>

#include "app/AppInfo.h"
#include "app/Uformabout.h"
#include "app/Uformmain.h"
#include "app/Vnmanual.h"
#include "store/Datafolder.h"
#include "support/DialogScript.h"
#include "support/RecordingActions.h"
#include "support/TestSupport.h"

namespace {

// The probe's report when started as `program`.
QString ProbeReport(const QString& program) {
    QProcess probe;
    probe.start(program, {});
    if (!probe.waitForFinished(20000) || probe.exitCode() != 0) return {};
    return QString::fromUtf8(probe.readAllStandardOutput());
}

}  // namespace

// A start through a link, or through a link to a link, still names the
// installed program itself in the login start entry.
TEST(DesktopIdentity, ProgramStartedThroughALinkNamesTheRealFile) {
    const QString real = QFileInfo(VORNEL_IDENTITY_PROBE).canonicalFilePath();
    QTemporaryDir dir;
    const QString link = dir.filePath("vornel"), linkToLink = dir.filePath("start vornel");
    ASSERT_TRUE(QFile::link(real, link));
    ASSERT_TRUE(QFile::link(link, linkToLink));
    for (const QString& program : {real, link, linkToLink}) {
        SCOPED_TRACE(program.toStdString());
        const QString report = ProbeReport(program);
        EXPECT_TRUE(report.startsWith("desktop org.vornel.Vornel\n")) << report.toStdString();
        EXPECT_TRUE(report.contains("\nTryExec=" + real + "\n")) << report.toStdString();
    }
}

// Both Help entries open the installed manual; no web address is opened.
TEST(DesktopIdentity, HelpContentsAndHomePageOpenTheManual) {
    QTemporaryDir dir;
    SetDataFolder(dir.path() + '/');
    CreateDeliveredDatabase(DatabaseFilePath());
    RecordingShell shell;
    RecordingSoundPlayer player;
    ScopedDialogScript script;
    {
        TFormMainVNCR window(shell, player);
        ASSERT_TRUE(window.FormCreate());
        window.findChild<QAction*>("mMenu_HelpContents")->trigger();
        window.findChild<QAction*>("mMenu_HelpHomePage")->trigger();
    }
    SetDataFolder({});
    ASSERT_EQ(shell.Opened.size(), 2);
    const QString manual = shell.Opened.first();
    EXPECT_TRUE(manual.endsWith("/manual/index.html")) << manual.toStdString();
    EXPECT_EQ(shell.Opened[1], QUrl::fromLocalFile(manual).toString());
    QFile file(manual);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().contains("<title>Vornel manual</title>"));
    EXPECT_TRUE(script.Messages().isEmpty());
}

TEST(DesktopIdentity, AboutBoxNamesVersionDataFolderAndLicence) {
    QTemporaryDir dir;
    SetDataFolder(dir.path() + '/');
    TFormAbout about(nullptr);
    SetDataFolder({});
    const auto text = [&](const char* name) { return about.findChild<QLabel*>(name)->text(); };
    EXPECT_TRUE(text("label_Text").contains(ProgramVersion)) << text("label_Text").toStdString();
    EXPECT_TRUE(text("label_DataFolder").contains(QDir::toNativeSeparators(dir.path())))
        << text("label_DataFolder").toStdString();
    EXPECT_TRUE(text("label_Licence").startsWith("Licence: proprietary"))
        << text("label_Licence").toStdString();
}

// Every link of the table of contents reaches a chapter, the page runs no
// script, and a picture of its start is saved for a person to read.
TEST(DesktopIdentity, ManualLinksReachTheirChapters) {
    QFile file(FindManual(QCoreApplication::applicationDirPath()));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString html = QString::fromUtf8(file.readAll());
    const QRegularExpression link(QStringLiteral("href=\"#([^\"]+)\""));
    int links = 0;
    for (const auto& match : link.globalMatch(html)) {
        ++links;
        EXPECT_TRUE(html.contains("id=\"" + match.captured(1) + "\""))
            << match.captured(1).toStdString();
    }
    EXPECT_GE(links, 10);
    EXPECT_FALSE(html.contains("<script", Qt::CaseInsensitive));
    QTextBrowser page;
    page.resize(900, 1400);
    page.setHtml(html);
    EXPECT_TRUE(page.grab().save(TestOutputDir() + "/manual.png"));
}
