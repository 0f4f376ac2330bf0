#include "platform/Shell.h"

#include <QDesktopServices>
#include <QFileInfo>

bool TDesktopShell::OpenFile(const QString& fileName) {
    if (fileName.isEmpty()) return false;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(fileName).absoluteFilePath()));
}

bool TDesktopShell::OpenUrl(const QUrl& url) {
    return url.isValid() && QDesktopServices::openUrl(url);
}
