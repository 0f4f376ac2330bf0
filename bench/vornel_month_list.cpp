// Lists the occurrences of one month as the month view matches them, for
// one user: every day of the month with every event on it, printed as
// "YYYY-MM-DD <ID>", by day and then by ID. No window system is needed.
//
//     vornel_month_list DB.vdbv2 YYYY-MM [USER]
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include "calendar/Vnmonthlist.h"
#include "store/Adodb.h"
#include "store/Datafolder.h"

namespace {

// Writes the list in one piece: a month of a large calendar is some
// hundred thousand lines.
void PrintOccurrences(const std::vector<TvnOccurrence>& list) {
    std::string out;
    out.reserve(list.size() * 20);
    char day[16] = {};
    int32_t shown = 0;
    for (const TvnOccurrence& o : list) {
        if (out.empty() || o.Day != shown) {
            const TDateParts p = DecodeDateParts(o.Day);
            std::snprintf(day, sizeof day, "%04d-%02d-%02d ", p.y, p.m, p.d);
            shown = o.Day;
        }
        out += day;
        out += std::to_string(o.ID);
        out += '\n';
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
}

int ListMonth(const QString& db, int year, int month, int user) {
    TADOConnection connection;
    connection.ConnectionString = DatabaseConnectionString(db);
    connection.Open();
    TADOTable events(&connection);
    events.SetTableName(QStringLiteral("Events"));
    events.Open();
    PrintOccurrences(ListMonthOccurrences(events, user, year, month));
    return std::fflush(stdout) == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
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
