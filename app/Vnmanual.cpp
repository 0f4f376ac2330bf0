#include "app/Vnmanual.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

QStringList ManualCandidates(const QString& programDir) {
    const QDir program(programDir);
    QStringList candidates = {
        QDir::cleanPath(program.filePath(QStringLiteral(VORNEL_MANUAL_FROM_BINDIR "/index.html"))),
        QStringLiteral(VORNEL_MANUAL_INSTALLED "/index.html"),
        QStringLiteral(VORNEL_MANUAL_SOURCE "/index.html"),
    };
    for (const QString& data :
         QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation))
        candidates << QDir(data).filePath(QStringLiteral("vornel/manual/index.html"));
    candidates.removeDuplicates();
    return candidates;
}

QString FirstExistingFile(const QStringList& candidates) {
    for (const QString& path : candidates)
        if (QFileInfo(path).isFile()) return QFileInfo(path).absoluteFilePath();
    return {};
}

QString FindManual(const QString& programDir) {
    return FirstExistingFile(ManualCandidates(programDir));
}

QUrl ManualStartPage(const QString& programDir) {
    const QString manual = FindManual(programDir);
    return manual.isEmpty() ? QUrl() : QUrl::fromLocalFile(manual);
}
