// Lists the occurrences of one month as the calendar control matches them:
// the control (never shown, never painted) refreshes its month view for one
// user, and every day of the month with every event on it is printed as
// "YYYY-MM-DD <ID>", by day and then by ID.
//
//     vornel_month_list DB.vdbv2 YYYY-MM [USER]
#include <QApplication>
#include <algorithm>
#include <cstdio>
#include <exception>
#include <utility>
#include <vector>

#include "calendar/Vndbdrawcalendar.h"
#include "store/Adodb.h"
#include "store/Datafolder.h"

namespace {

int ListMonth(const QString& db, int year, int month, int user) {
    TADOConnection connection;
    connection.ConnectionString = DatabaseConnectionString(db);
    connection.Open();
    TADOTable events(&connection);
    events.SetTableName(QStringLiteral("Events"));
    events.Open();
    TvnDBDrawCalendar cal;
    cal.SetDataSet(tsEvents, &events);
    cal.SetCurrUser(user);
    cal.SetCalendarDate(EncodeDate(year, month, 1));
    std::vector<std::pair<int32_t, int>> lines;
    for (const TvnEventDrawData& entry : cal.EventDrawList) {
        events.SetBookmark(entry.Bookmark);
        const int id = events.FieldByName(QStringLiteral("ID"))->AsInteger();
        for (int n = 0; n < CalendarCellCount; ++n) {
            if (!entry.Cells[n]) continue;
            const TvnCell cell = CellOfFlagIndex(n);
            const TDateTime day = cal.CellToDate(cell.Col, cell.Row);
            int y = 0, m = 0, d = 0;
            DecodeDate(day, y, m, d);
            if (y == year && m == month) lines.emplace_back(DayNumber(day), id);
        }
    }
    std::sort(lines.begin(), lines.end());
    for (const auto& [day, id] : lines) {
        int y = 0, m = 0, d = 0;
        DecodeDate(day, y, m, d);
        std::printf("%04d-%02d-%02d %d\n", y, m, d, id);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    int year = 0, month = 0;
    const int user = argc > 3 ? std::atoi(argv[3]) : 0;
    if (argc < 3 || std::sscanf(argv[2], "%d-%d", &year, &month) != 2 || year < 1 || year > 9999 ||
        month < 1 || month > 12 || user < 0 || user > 8) {
        std::fprintf(stderr, "usage: vornel_month_list DB.vdbv2 YYYY-MM [USER 0..8]\n");
        return 2;
    }
    try {
        return ListMonth(QString::fromLocal8Bit(argv[1]), year, month, user);
    } catch (const EDatabaseError& error) {
        std::fprintf(stderr, "%s\n", qPrintable(error.Message()));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
    }
    return 1;
}
