// A start of the program that changes events and is then killed before any
// upload: edits "once", deletes "hourly", adds "added offline", says
// "changed" and waits to be killed.
#include <QCoreApplication>
#include <QThread>
#include <cstdio>

#include "reminder/Vncalendardata.h"
#include "reminder/Vnuserevents.h"
#include "store/Adodb.h"
#include "store/Datafolder.h"
#include "store/Udbmanagement.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 2) return 2;
    TADOConnection connection;
    connection.ConnectionString = DatabaseConnectionString(QString::fromLocal8Bit(argv[1]));
    connection.Open();
    TCalendarTables tables = OpenCalendarTables(connection);
    TvnCalendarData cal;
    for (int i = 0; i < TableCount; ++i)
        cal.SetDataSet(i, tables[i].get());
    cal.SetCurrUser(0);
    std::map<QString, TvnEventParams> events;
    for (const auto& [id, e] : TvnUserEvents(cal, 0).Load())
        events[e.Desc] = e;
    TvnEventParams once = events.at(QStringLiteral("once"));
    once.Desc = QStringLiteral("once, edited offline");
    cal.EditEvent(&once);
    cal.DeleteEvent(&events.at(QStringLiteral("hourly")));
    TvnEventParams added = events.at(QStringLiteral("once"));
    added.ID = 0;
    added.Desc = QStringLiteral("added offline");
    cal.AddEvent(&added);
    std::puts("changed");
    std::fflush(stdout);
    for (;;)
        QThread::sleep(1);
}
