#include "platform/Shell.h"

#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>

namespace {

// Types that handlers start as programs, and the ones they inherit from.
constexpr const char* ProgramTypes[] = {
    "application/x-executable",
    "application/x-sharedlib",
    "application/x-shellscript",
    "application/x-desktop",
    "application/x-ms-dos-executable",
    "application/x-msi",
    "application/x-msdownload",
    "application/java-archive",
    "application/x-perl",
    "text/x-python",
    "application/x-python-code",
    "application/vnd.appimage",
};

bool StartsLikeAProgram(const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) return false;
    const QByteArray head = file.read(64);
    return head.startsWith("#!") ||
           head.startsWith(
               "\x7f"
               "ELF") ||
           head.startsWith("MZ") || head.trimmed().startsWith("[Desktop Entry]");
}

}  // namespace

bool RunsAsProgram(const QString& fileName) {
    const QFileInfo info(fileName);
    if (!info.exists() || info.isDir()) return false;
    if (info.isExecutable() || StartsLikeAProgram(fileName)) return true;
    const QMimeType type = QMimeDatabase().mimeTypeForFile(info);
    for (const char* program : ProgramTypes)
        if (type.inherits(QLatin1String(program))) return true;
    return false;
}

bool TDesktopShell::OpenFile(const QString& fileName) {
    if (fileName.isEmpty()) return false;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(fileName).absoluteFilePath()));
}

bool TDesktopShell::OpenUrl(const QUrl& url) {
    return url.isValid() && QDesktopServices::openUrl(url);
}
