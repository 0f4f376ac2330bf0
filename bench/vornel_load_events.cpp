// Fills a new Vornel database from gen.py's events.csv, for comparisons of
// whole processes with other calendar programs.
//
//     vornel_load_events EVENTS.CSV DB.vdbv2 [USERS]
//
// USERS 1 (the default) gives every event to user 0; 9 deals the rows to the
// users 0 to 8 in turn. The kinds become this program's recurrences: once,
// daily, weekly, monthly on a day, monthly on the n-th weekday, annually.
#include <QCoreApplication>
#include <cstdio>
#include <exception>

#include "store/Adodb.h"
#include "support/BenchData.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int users = argc > 3 ? std::atoi(argv[3]) : 1;
    if (argc < 3 || users < 1 || users > 9) {
        std::fprintf(stderr, "usage: vornel_load_events EVENTS.CSV DB.vdbv2 [USERS 1..9]\n");
        return 2;
    }
    try {
        BenchLoadOptions options;
        options.users = users;
        const int rows = CreateBenchDatabase(QString::fromLocal8Bit(argv[2]),
                                             QString::fromLocal8Bit(argv[1]), options);
        std::printf("%d events loaded\n", rows);
        return 0;
    } catch (const EDatabaseError& error) {
        std::fprintf(stderr, "%s\n", qPrintable(error.Message()));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
    }
    return 1;
}
