// Tools > Holidays management with 1,000 holidays: reading them from the
// table, filling the sorted list, showing and drawing the dialog (goal:
// 100 ms).
//
//     bench_holidays
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <cstdio>

#include "app/Uformmain.h"
#include "platform/Dialogs.h"
#include "store/Adodb.h"
#include "store/Datafolder.h"
#include "support/BenchData.h"

namespace {

constexpr int kHolidays = 1000;

// Answers every dialog once it is drawn; the list dialog closes as by its
// close box. Counts the entries of the list it was shown, as a check of the run.
class CloseEveryDialog : public TDialogHandler {
public:
    TDialogAnswer Answer(const TDialogRequest& request) override {
        if (!request.Dialog) return {};
        request.Dialog->grab();  // the first picture the user would see
        if (auto* list = request.Dialog->findChild<QTreeWidget*>("listView_Holidays"))
            listed = list->topLevelItemCount();
        return {};
    }
    int listed = -1;
};

// Half fixed dates, half weekday rules, spread over the year.
void AppendHolidays(const QString& dbPath) {
    TADOConnection connection;
    connection.ConnectionString = DatabaseConnectionString(dbPath);
    connection.Open();
    TADOTable t(&connection);
    t.SetTableName(QStringLiteral("Holidays"));
    t.Open();
    connection.BeginTrans();
    for (int i = 0; i < kHolidays; ++i) {
        const bool fixed = i % 2 == 0;
        t.Append();
        t.FieldByName(QStringLiteral("Month"))->SetAsInteger(i % 12 + 1);
        t.FieldByName(QStringLiteral("Day"))->SetAsInteger(fixed ? i % 28 + 1 : 0);
        t.FieldByName(QStringLiteral("DayOfWeek"))->SetAsInteger(fixed ? 0 : i % 7 + 1);
        t.FieldByName(QStringLiteral("NumOfWeek"))->SetAsInteger(fixed ? 0 : i % 5 + 1);
        t.FieldByName(QStringLiteral("Name"))->SetAsString(QStringLiteral("Holiday %1").arg(i));
        t.Post();
    }
    connection.CommitTrans();
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir home;
    SetDataFolder(home.path() + '/');
    CreateDeliveredDatabase(DatabaseFilePath());
    AppendHolidays(DatabaseFilePath());
    CloseEveryDialog handler;
    TScopedDialogHandler scoped(handler);
    TFormMainVNCR window;
    if (!window.FormCreate()) return 1;
    window.show();
    QAction* command = window.findChild<QAction*>(QStringLiteral("mMenu_ToolsHolidays"));
    PrintBench("holidays_open_dialog", MedianSeconds(9, [&] { command->trigger(); }) * 1e3, "ms");
    std::printf("# %d holidays stored, %d listed\n", kHolidays, handler.listed);
    return 0;
}
