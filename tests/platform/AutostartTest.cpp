// The login start entry: where it lives, how it names the program, and that
// it exists exactly when the setting was last confirmed as on.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "platform/Autostart.h"
#include "support/TestSupport.h"

namespace {

// Sets an environment variable for the lifetime of the object.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const QString& value) : name_(name), saved_(qgetenv(name)) {
        qputenv(name, value.toLocal8Bit());
    }
    ~ScopedEnv() { qputenv(name_, saved_); }

private:
    const char* name_;
    QByteArray saved_;
};

// Reads an Exec value back as a desktop would: the string escapes first,
// then a quoted argument's escapes, then the doubled percent signs.
QString ParseExec(const QString& value) {
    QString unescaped;
    for (int i = 0; i < value.size(); ++i) {
        if (value[i] != u'\\' || i + 1 == value.size()) {
            unescaped += value[i];
            continue;
        }
        const QChar next = value[++i];
        unescaped += next == u'n'   ? u'\n'
                     : next == u't' ? u'\t'
                     : next == u'r' ? u'\r'
                     : next == u's' ? u' '
                                    : next;
    }
    const bool quoted =
        unescaped.size() > 1 && unescaped.startsWith(u'"') && unescaped.endsWith(u'"');
    QString argument;
    for (int i = quoted ? 1 : 0; i < unescaped.size() - (quoted ? 1 : 0); ++i) {
        if (quoted && unescaped[i] == u'\\')
            ++i;
        else if (unescaped[i] == u'%' && unescaped[i + 1] == u'%')
            ++i;
        argument += unescaped[i];
    }
    return argument;
}

QString ReadText(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

}  // namespace

TEST(Autostart, ExecNamesThePathExactlyWhateverItHolds) {
    // Quotes only where a reserved character needs them.
    EXPECT_EQ(DesktopExecArgument("/usr/bin/vornel"), "/usr/bin/vornel");
    EXPECT_EQ(DesktopExecArgument("/opt/100%/vornel"), "/opt/100%%/vornel");
    EXPECT_EQ(DesktopExecArgument("/opt/a$b/100%/v"), "\"/opt/a\\\\$b/100%%/v\"");
    EXPECT_EQ(DesktopExecArgument("/x\\y"), "\"/x\\\\\\\\y\"");
    for (const QString path : {"/opt/My Apps/vornel", "/home/a$b/`x`/v", "/tmp/say \"hi\"/v",
                               "/tmp/back\\slash/v", "/tmp/100%/v", "/usr/bin/vornel",
                               "/tmp/tab\there/v", "/tmp/new\nline/v", "/tmp/é ü;&|<>*?#()~'/v"})
        EXPECT_EQ(ParseExec(DesktopExecArgument(path)), path);
}

TEST(Autostart, EntryExistsExactlyWhenLastSwitchedOn) {
    QTemporaryDir config;
    ScopedEnv env("XDG_CONFIG_HOME", config.path());
    const QString file = config.filePath("autostart/Vornel.desktop");
    EXPECT_EQ(AutostartFilePath(), file);
    EXPECT_TRUE(UpdateAutostartEntry(false, "/opt/Vornel Pro/vornel")) << "nothing to remove";

    for (int time = 0; time < 2; ++time) {
        ASSERT_TRUE(UpdateAutostartEntry(true, "/opt/Vornel Pro/vornel"));
        const QString text = ReadText(file);
        EXPECT_TRUE(text.startsWith("[Desktop Entry]\n")) << text.toStdString();
        EXPECT_TRUE(text.contains("\nType=Application\n"));
        EXPECT_TRUE(text.contains("\nExec=\"/opt/Vornel Pro/vornel\"\n"));
        EXPECT_TRUE(text.contains("\nTryExec=/opt/Vornel Pro/vornel\n"));
    }
    EXPECT_EQ(QDir(config.filePath("autostart")).entryList(QDir::Files),
              QStringList{"Vornel.desktop"})
        << "no temporary file left behind";
    EXPECT_TRUE(UpdateAutostartEntry(false, "/opt/Vornel Pro/vornel"));
    EXPECT_FALSE(QFile::exists(file));
}

TEST(Autostart, FolderThatCannotBeWrittenFailsQuietly) {
    QTemporaryDir home;
    QFile blocker(home.filePath("not-a-folder"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    ScopedEnv config("XDG_CONFIG_HOME", blocker.fileName());
    EXPECT_FALSE(UpdateAutostartEntry(true, "/usr/bin/vornel"));
    EXPECT_TRUE(UpdateAutostartEntry(false, "/usr/bin/vornel"));

    // Unset or relative means the default under the home folder.
    ScopedEnv homeEnv("HOME", home.path());
    for (const QString value : {"", "relative/config"}) {
        ScopedEnv relative("XDG_CONFIG_HOME", value);
        EXPECT_EQ(AutostartFolder(), home.filePath(".config/autostart"));
    }
}
