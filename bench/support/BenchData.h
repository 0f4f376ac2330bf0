// Benchmark calendars: the events of shared/benchdata/gen.py's events.csv
// loaded into a Vornel database, so that every benchmark measures the same
// data; and the timing and output helpers of the benchmarks.
//
// Use:
//     python3 shared/benchdata/gen.py --out /tmp/vbench 100000
//     QTemporaryDir dir;
//     BenchLoadOptions options;
//     options.users = 9;  // rows dealt round-robin to users 0..8
//     const QString db = dir.filePath("DB.vdbv2");
//     CreateBenchDatabase(db, "/tmp/vbench/N100000/events.csv", options);
//     TADOConnection connection;
//     connection.ConnectionString = DatabaseConnectionString(db);
//     ... open TADOTables on it and measure ...
//     PrintBench("table_walk_user", MedianSeconds(20, [&] { ... }) * 1e3, "ms");
//
// The CSV has the columns kind,start_iso,interval,description. The kinds
// once, daily, weekly, monthly_day, monthly_nth_weekday and yearly become the
// recurrences 0, 2, 3, 4, 5 and 6 (event type 0 for once, 1 otherwise), the
// interval nParam; RunDate and Completed are computed for options.now.
#pragma once

#include <QString>
#include <algorithm>
#include <chrono>
#include <utility>
#include <vector>

#include "store/Vntypes.h"

class TADOTable;

struct BenchLoadOptions {
    int users = 1;      // 1: every row to user 0; n: row k to user k % n
    TDateTime now = 0;  // moment of RunDate/Completed; 0: 1 June 2025 12:00
    int limit = -1;     // read at most this many rows; -1: all
};

// Reads the events of the CSV. Raises std::runtime_error for a missing file
// or a malformed line.
std::vector<TvnEventParams> ReadBenchEvents(const QString& csvPath,
                                            const BenchLoadOptions& options);

// Appends the events to an open Events table in one transaction, row k for
// user k % users.
void AppendBenchEvents(TADOTable& events, const std::vector<TvnEventParams>& rows, int users);

// A delivered database at dbPath holding rows, dealt round-robin to users.
void CreateBenchDatabase(const QString& dbPath, const std::vector<TvnEventParams>& rows, int users);
// Creates a database file at "dbPath" (replacing any) holding the CSV's
// events; answers the number of events.
int CreateBenchDatabase(const QString& dbPath, const QString& csvPath,
                        const BenchLoadOptions& options);

// Prints "BENCH <name> <value> <unit>".
void PrintBench(const char* name, double value, const char* unit);

// The middle one of the values (the upper middle of an even count).
inline double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The median duration of "reps" runs of f, in seconds.
template <class F>
double MedianSeconds(int reps, F&& f) {
    std::vector<double> times;
    for (int i = 0; i < reps; ++i) {
        const auto start = std::chrono::steady_clock::now();
        f();
        times.push_back(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    return Median(std::move(times));
}

// Runs the gen.py of the shared folder beside the repository for one size
// into the folder; the path of its events.csv, or empty without gen.py.
QString GeneratedBenchCsv(const QString& folder, int events);
