#include "store/Datafolder.h"

#include <sqlite3.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "store/Adodb.h"
#include "store/Adoschema.h"
#include "store/Adosqlite.h"
#include "store/Dbfiles.h"

namespace {

const QString kDatabaseName = QStringLiteral("DB.vdbv2");
const QString kSettingsName = QStringLiteral("Settings.ini");

QString dataFolder;

QString WithSeparator(const QString& folder) {
    QString f = QDir::cleanPath(QDir(folder).absolutePath());
    return f.endsWith(u'/') ? f : f + u'/';
}

QString ExecutableDir() {
    if (QCoreApplication::instance()) return QCoreApplication::applicationDirPath();
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath().section(u'/', 0, -2);
}

void WriteDeliveredDatabase(const QString& path) {
    ado::CreateDatabaseFile(path, [](sqlite3* db, const QString& what) {
        // The calendar never shows the holiday with ID 1; its codes match no day.
        ado::Exec(db,
                  "INSERT INTO \"Holidays\"(\"ID\",\"Month\",\"Day\",\"DayOfWeek\",\"NumOfWeek\","
                  "\"Name\") VALUES(1,0,0,0,0,'')",
                  what);
    });
}

}  // namespace

QString ResolveDataFolder(const QString& vornelHome, const QString& executableDir,
                          const QString& xdgDataHome, const QString& home) {
    if (!vornelHome.isEmpty()) return WithSeparator(vornelHome);
    const QDir exe(executableDir);
    if (!executableDir.isEmpty() && (exe.exists(kDatabaseName) || exe.exists(kSettingsName)))
        return WithSeparator(executableDir);
    if (!xdgDataHome.isEmpty() && QDir::isAbsolutePath(xdgDataHome))
        return WithSeparator(xdgDataHome + QStringLiteral("/vornel"));
    return WithSeparator(home + QStringLiteral("/.local/share/vornel"));
}

QString DataFolder() {
    if (dataFolder.isEmpty()) {
        dataFolder = ResolveDataFolder(qEnvironmentVariable("VORNEL_HOME"), ExecutableDir(),
                                       qEnvironmentVariable("XDG_DATA_HOME"), QDir::homePath());
    }
    return dataFolder;
}

void SetDataFolder(const QString& folder) {
    dataFolder = folder.isEmpty() ? QString() : WithSeparator(folder);
}

QString DatabaseFilePath() {
    return DataFolder() + kDatabaseName;
}

QString OldDatabaseFilePath() {
    return DataFolder() + QStringLiteral("DB.vdb");
}

QString SettingsFilePath() {
    return DataFolder() + kSettingsName;
}

QString DatabaseConnectionString(const QString& databasePath) {
    // A path that would end the value early (a semicolon) or lose its outer
    // blanks is quoted, with the quote it does not contain.
    QString source = databasePath;
    if (source.contains(u';') || source != source.trimmed() || source.startsWith(u'"') ||
        source.startsWith(u'\''))
        source = source.contains(u'"') ? u'\'' + source + u'\'' : u'"' + source + u'"';
    return QStringLiteral("Provider=%1;Data Provider=%2;Data Source=%3")
        .arg(QStringLiteral("MSDataShape.1"), QStringLiteral("Microsoft.Jet.OLEDB.4.0"), source);
}

void CreateDeliveredDatabase(const QString& path) {
    ado::InstallDatabaseFile(path, WriteDeliveredDatabase);
}

bool PrepareDataFolder() {
    const QString folder = DataFolder();
    // A folder made here holds a private calendar: its owner's alone. One
    // that exists (a portable folder beside the program) keeps its mode.
    const bool made = !QFileInfo::exists(folder);
    if (!QDir().mkpath(folder))
        throw EDatabaseError(QStringLiteral("Cannot create the folder \"%1\"").arg(folder));
    if (made) QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (QFileInfo::exists(DatabaseFilePath()) || QFileInfo::exists(SettingsFilePath()))
        return false;
    CreateDeliveredDatabase(DatabaseFilePath());
    return true;
}
