#include "app/Umaintenance.h"

#include <QScopeGuard>

#include "platform/DateFormat.h"
#include "platform/DateTime.h"
#include "platform/Dialogs.h"
#include "store/Datafolder.h"
#include "store/Udbmanagement.h"

const QString BackupFilter = QStringLiteral("Vornel databases v2.0 (*.vdbv2.bak)|*.vdbv2.bak");
const QString BackupSucceededText =
    QStringLiteral("Backup copy of the database created successfully.");
const QString RestoreSucceededText = QStringLiteral("Database restored successfully.");
const QString PackSucceededText = QStringLiteral("Database packed successfully.");
const QString MaintenanceFailedText =
    QStringLiteral("The database operation was not executed. An error was fixed!");

namespace {

void Call(const std::function<void()>& hook) {
    if (hook) hook();
}

// Runs one file operation with the connection closed and reports it. The
// outcome is shown before the reopening, so that a reopening that fails
// (and offers a restore) comes after the report of what was done.
bool RunClosed(QWidget* owner, const TvnMaintenanceHooks& hooks, const QString& successText,
               const std::function<bool()>& operation) {
    Call(hooks.DisableReminder);
    // Back on every way out: a reopening or refresh that fails must not leave
    // the reminder off for the rest of the run.
    const auto resume = qScopeGuard([&] { Call(hooks.EnableReminder); });
    Call(hooks.CloseDatabase);
    bool done = false;
    try {
        done = operation();
    } catch (const std::exception&) {
        done = false;  // every failure gets the one text below
    }
    if (done)
        ShowInformation(successText, owner);
    else
        ShowError(MaintenanceFailedText, owner);
    Call(hooks.OpenDatabase);
    Call(hooks.UpdateCalendar);
    return done;
}

TFileDialogOptions BackupFileOptions(const QString& fileName) {
    TFileDialogOptions options;
    options.Filter = BackupFilter;
    options.InitialDir = DataFolder();
    options.FileName = fileName;
    return options;
}

}  // namespace

bool BackupDatabaseCommand(QWidget* owner, const TvnMaintenanceHooks& hooks) {
    TFileDialogOptions options =
        BackupFileOptions(FormatDateTime(QStringLiteral("yyyy-mm-dd"), Date()));
    options.DefaultExt = QStringLiteral("vdbv2.bak");
    const std::optional<QString> path = SaveFileDialog(options, owner);
    if (!path) return false;
    return RunClosed(owner, hooks, BackupSucceededText, [&] { return BackupDatabase(*path); });
}

bool RestoreDatabaseCommand(QWidget* owner, const TvnMaintenanceHooks& hooks) {
    const std::optional<QString> path = OpenFileDialog(BackupFileOptions(QString()), owner);
    if (!path) return false;
    return RunClosed(owner, hooks, RestoreSucceededText, [&] { return RestoreDatabase(*path); });
}

bool PackDatabaseCommand(QWidget* owner, const TvnMaintenanceHooks& hooks) {
    return RunClosed(owner, hooks, PackSucceededText, [] { return PackDatabase(); });
}
