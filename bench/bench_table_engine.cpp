// Speed of the table engine on the benchmark calendar of 100,000 events
// dealt to 9 users: the reminder's once-a-second work, walking one user's
// rows reading every column, locating a row by ID, and opening the file.
//
//     python3 shared/benchdata/gen.py --out /tmp/vbench 100000
//     build/bench/bench_table_engine /tmp/vbench/N100000/events.csv
#include <QCoreApplication>
#include <QTemporaryDir>
#include <cstdio>
#include <random>

#include "platform/DateFormat.h"
#include "store/Adodb.h"
#include "store/Datafolder.h"
#include "support/BenchData.h"

namespace {

constexpr int kUser = 4;

void SetTableFilter(TADOTable& t, const QString& filter) {
    t.SetFiltered(false);
    t.SetFilter(filter);
    t.SetFiltered(true);
}

struct ColumnRef {
    QString name;
    char kind;  // i integer, s text, d date-time
};

const ColumnRef kColumns[] = {
    {"ID", 'i'},         {"UserID", 'i'},     {"eType", 'i'},       {"Desc", 's'},
    {"Date", 'd'},       {"RunDate", 'd'},    {"EndDate", 'd'},     {"UseStartTime", 'i'},
    {"UseEndDate", 'i'}, {"Notify", 'i'},     {"NotifyParam", 'i'}, {"NotifyType", 'i'},
    {"Category", 'i'},   {"Recurrence", 'i'}, {"nParam", 'i'},      {"Action_File", 's'},
    {"Sound_File", 's'}, {"Notes", 's'},      {"Completed", 'i'},
};

// Sets the user's filter and reads every column of every row by name, as
// the calendar's record copying does; answers the number of rows.
int WalkUser(TADOTable& events, double& checksum) {
    SetTableFilter(events, QStringLiteral("UserID = %1").arg(kUser));
    int rows = 0;
    for (events.First(); !events.Eof(); events.Next(), ++rows) {
        for (const ColumnRef& c : kColumns) {
            TField* f = events.FieldByName(c.name);
            if (c.kind == 'i')
                checksum += f->AsInteger();
            else if (c.kind == 'd')
                checksum += f->AsDateTime();
            else
                checksum += static_cast<double>(f->AsString().size());
        }
    }
    return rows;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <events.csv of N=100000>\n", argv[0]);
        return 2;
    }
    QTemporaryDir dir;
    const QString db = dir.filePath(QStringLiteral("DB.vdbv2"));
    BenchLoadOptions options;
    options.users = 9;
    options.now = EncodeDate(2025, 6, 1) + 0.5;
    int n = 0;
    const double load = MedianSeconds(
        1, [&] { n = CreateBenchDatabase(db, QString::fromLocal8Bit(argv[1]), options); });
    std::fprintf(stderr, "%d events loaded\n", n);
    PrintBench("table_load_events", load, "s");

    TADOConnection connection;
    connection.ConnectionString = DatabaseConnectionString(db);
    PrintBench("table_open_connection",
               MedianSeconds(5, [&] { connection.Close(), connection.Open(); }) * 1e3, "ms");
    TADOTable events(&connection);
    events.SetTableName(QStringLiteral("Events"));
    events.Open();
    const QString userFilter = QStringLiteral("UserID = %1").arg(kUser);
    SetTableFilter(events, userFilter);

    // The reminder an hour after loading: some events are due by then.
    const QString due = QStringLiteral("Completed = FALSE AND RunDate <= '%1' AND UserID = %2")
                            .arg(DateTimeToStr(options.now + 1.0 / 24))
                            .arg(kUser);
    int dueCount = 0;
    const double tick = MedianSeconds(301, [&] {
        SetTableFilter(events, due);
        dueCount = events.RecordCount();
        SetTableFilter(events, userFilter);
    });
    std::fprintf(stderr, "%d events due\n", dueCount);
    PrintBench("table_reminder_tick", tick * 1e6, "us");

    double checksum = 0;
    int rows = 0;
    const double walk = MedianSeconds(15, [&] { rows = WalkUser(events, checksum); });
    std::fprintf(stderr, "%d rows walked (checksum %g)\n", rows, checksum);
    PrintBench("table_walk_user_rows", walk * 1e3, "ms");

    std::vector<int> ids;
    for (events.First(); !events.Eof(); events.Next())
        ids.push_back(events.FieldByName(QStringLiteral("ID"))->AsInteger());
    std::mt19937 rng(7);
    const int lookups = 20000;
    int found = 0;
    const double locate = MedianSeconds(5, [&] {
        for (int i = 0; i < lookups; ++i)
            found += events.Locate(QStringLiteral("ID"), ids[rng() % ids.size()]);
    });
    std::fprintf(stderr, "%d of %d found\n", found, 5 * lookups);
    PrintBench("table_locate_id", locate / lookups * 1e6, "us");
    return 0;
}
