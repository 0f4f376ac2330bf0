// Program entry: resolves the data folder, opens (or on a first start
// creates) the database and shows the calendar until its window is closed.
#include <QFile>
#include <exception>

#include "app/Application.h"
#include "app/Ucalendarwindow.h"
#include "platform/Dialogs.h"
#include "store/Adodb.h"
#include "store/Datafolder.h"

int main(int argc, char** argv) {
    TVornelApplication app(argc, argv);
    try {
        PrepareDataFolder();
        const QString database = DatabaseFilePath();
        if (!QFile::exists(database)) {
            ShowError(QStringLiteral("The database file \"%1\" was not found.").arg(database));
            return 1;
        }
        TCalendarWindow window;
        window.OpenDatabase(database);
        window.show();
        return app.exec();
    } catch (const EDatabaseError& error) {
        ShowError(error.Message());
        return 1;
    } catch (const std::exception& error) {
        ShowError(QString::fromUtf8(error.what()));
        return 1;
    }
}
