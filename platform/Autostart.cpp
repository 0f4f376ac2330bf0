#include "platform/Autostart.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>

namespace {

// Characters that make an Exec argument need quotes (the Desktop Entry
// rules' reserved characters), and those escaped inside the quotes.
constexpr QStringView kReserved = u" \t\n\"'\\><~|&;$*?#()`";
constexpr QStringView kEscapedInQuotes = u"\"`$\\";

// The key-value level escapes of a desktop file's string values, applied
// after the Exec rules (which is why a backslash ends up doubled twice).
QString EscapeStringValue(const QString& value) {
    QString out;
    for (QChar c : value) {
        if (c == u'\\')
            out += QStringLiteral("\\\\");
        else if (c == u'\n')
            out += QStringLiteral("\\n");
        else if (c == u'\t')
            out += QStringLiteral("\\t");
        else if (c == u'\r')
            out += QStringLiteral("\\r");
        else
            out += c;
    }
    return out;
}

}  // namespace

QString AutostartFolder() {
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty() || QDir::isRelativePath(config))
        config = QDir::home().filePath(QStringLiteral(".config"));
    return QDir(config).filePath(QStringLiteral("autostart"));
}

QString AutostartFilePath() {
    return QDir(AutostartFolder()).filePath(QStringLiteral("Vornel.desktop"));
}

QString DesktopExecArgument(const QString& argument) {
    const bool quote =
        argument.isEmpty() || std::any_of(argument.begin(), argument.end(),
                                          [](QChar c) { return kReserved.contains(c); });
    QString out = quote ? QStringLiteral("\"") : QString();
    for (QChar c : argument) {
        if (quote && kEscapedInQuotes.contains(c)) out += u'\\';
        // A literal percent sign would be read as a field code.
        if (c == u'%') out += u'%';
        out += c;
    }
    if (quote) out += u'"';
    return EscapeStringValue(out);
}

QString RunningProgramPath() {
    const QString program = QCoreApplication::applicationFilePath();
    const QString resolved = QFileInfo(program).canonicalFilePath();
    return resolved.isEmpty() ? program : resolved;
}

QString AutostartEntryText(const QString& program) {
    const QString path = QFileInfo(program).absoluteFilePath();
    return QStringLiteral(
               "[Desktop Entry]\n"
               "Type=Application\n"
               "Name=Vornel\n"
               "Comment=Calendar with an event reminder\n"
               "Exec=%1\n"
               "TryExec=%2\n"
               "Terminal=false\n"
               "X-GNOME-Autostart-enabled=true\n")
        .arg(DesktopExecArgument(path), EscapeStringValue(path));
}

bool UpdateAutostartEntry(bool runAtStartup, const QString& program) {
    const QString path = AutostartFilePath();
    if (!runAtStartup) return !QFileInfo::exists(path) || QFile::remove(path);
    if (program.isEmpty() || !QDir().mkpath(AutostartFolder())) return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    file.write(AutostartEntryText(program).toUtf8());
    return file.commit();
}
