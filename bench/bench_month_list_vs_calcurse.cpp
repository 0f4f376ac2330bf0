// The month lister against calcurse, as whole processes on the same
// calendars (gen.py, N = 10,000 and 100,000, every event to user 0):
// December 2026 listed by each, 7 pairs run alternately; prints the median
// times, their ratio and the largest peak memory of each program.
//
//     python3 shared/benchdata/gen.py --out /tmp/vbench 10000 100000
//     build/bench/bench_month_list_vs_calcurse /tmp/vbench
//
// Without an argument the calendars are generated into a temporary folder
// with the gen.py of the shared folder beside the repository. calcurse is
// not installed by this program: without it only the month lister runs.
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "support/BenchData.h"

extern char** environ;

namespace {

constexpr int kPairs = 7;

struct Run {
    double ms = 0;
    long maxRssKb = 0;
    long lines = 0;  // occurrences listed
    bool ok = false;
};

// Counts occurrence lines as the output streams by: the lister prints one
// per occurrence, calcurse one " - " (or " * " for all-day items) line per
// appointment. Nothing is kept, so that this program stays small: a child's
// peak memory as the system reports it is never below its parent's.
class OccurrenceCounter {
public:
    explicit OccurrenceCounter(bool calcurse) : calcurse_(calcurse) {}
    void Feed(const char* data, size_t size) {
        for (size_t i = 0; i < size; ++i) {
            if (data[i] == '\n') {
                Line();
                continue;
            }
            if (head_.size() < 3) head_ += data[i];
            ++length_;
        }
    }
    long Finish() {
        if (length_ > 0) Line();
        return count_;
    }

private:
    void Line() {
        if (calcurse_ ? head_ == " - " || head_ == " * " : length_ > 0) ++count_;
        head_.clear();
        length_ = 0;
    }
    bool calcurse_;
    std::string head_;
    size_t length_ = 0;
    long count_ = 0;
};

// Runs the program with its output read through a pipe, as a shell would.
Run Spawn(const std::vector<std::string>& argv, bool calcurse) {
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    int fds[2];
    if (pipe(fds) != 0) return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int rc = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    OccurrenceCounter counter(calcurse);
    char buffer[1 << 16];
    for (ssize_t n; rc == 0 && (n = read(fds[0], buffer, sizeof buffer)) > 0;)
        counter.Feed(buffer, static_cast<size_t>(n));
    close(fds[0]);
    Run run;
    int status = 0;
    struct rusage usage {};
    if (rc != 0 || wait4(pid, &status, 0, &usage) != pid) return run;
    run.ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    run.maxRssKb = usage.ru_maxrss;
    run.lines = counter.Finish();
    run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return run;
}

struct Series {
    std::vector<double> ms;
    long maxRssKb = 0, lines = -1;
    bool ok = true;

    void Add(const Run& r) {
        ms.push_back(r.ms);
        maxRssKb = std::max(maxRssKb, r.maxRssKb);
        ok = ok && r.ok && (lines < 0 || lines == r.lines);
        lines = r.lines;
    }
};

void Compare(const QString& data, int n, const QString& calcurse) {
    const QString dir = QDir(data).filePath(QStringLiteral("N%1").arg(n));
    const QString db = QDir(dir).filePath(QStringLiteral("bench_month_list.vdbv2"));
    // Loaded by a child too, so that this program never holds the calendar.
    Spawn({VORNEL_LOAD_EVENTS, QDir(dir).filePath(QStringLiteral("events.csv")).toStdString(),
           db.toStdString()},
          false);
    const std::vector<std::string> lister{VORNEL_MONTH_LIST, db.toStdString(), "2026-12"};
    const std::vector<std::string> peer{
        calcurse.toStdString(),
        "-D",
        QDir(dir).filePath(QStringLiteral("calcurse")).toStdString(),
        "-Q",
        "--from",
        "12/01/2026",
        "--days",
        "31"};
    Series ours, theirs;
    Spawn(lister, false);  // the file once into the page cache
    for (int i = 0; i < kPairs; ++i) {
        ours.Add(Spawn(lister, false));
        if (!calcurse.isEmpty()) theirs.Add(Spawn(peer, true));
    }
    const std::string tag = std::to_string(n);
    std::printf("# %d events: the month lister listed %ld occurrences%s\n", n, ours.lines,
                ours.ok ? "" : " (FAILED or varied)");
    PrintBench(("month_list_process_" + tag).c_str(), Median(ours.ms), "ms");
    PrintBench(("month_list_max_rss_" + tag).c_str(), double(ours.maxRssKb), "KB");
    if (calcurse.isEmpty()) return;
    std::printf("# %d events: calcurse listed %ld occurrences%s\n", n, theirs.lines,
                theirs.ok ? "" : " (FAILED or varied)");
    PrintBench(("calcurse_process_" + tag).c_str(), Median(theirs.ms), "ms");
    PrintBench(("calcurse_max_rss_" + tag).c_str(), double(theirs.maxRssKb), "KB");
    PrintBench(("month_list_vs_calcurse_" + tag).c_str(), Median(ours.ms) / Median(theirs.ms),
               "ratio");
}

QString GeneratedData(const QTemporaryDir& dir) {
    const QString gen = QFileInfo(QStringLiteral(__FILE__))
                            .dir()
                            .filePath(QStringLiteral("../../shared/benchdata/gen.py"));
    if (!QFileInfo::exists(gen)) return {};
    QProcess::execute(QStringLiteral("python3"),
                      {gen, QStringLiteral("--out"), dir.path(), QStringLiteral("10000"),
                       QStringLiteral("100000")});
    return dir.path();
}

}  // namespace

int main(int argc, char** argv) {
    QTemporaryDir temp;
    const QString data = argc > 1 ? QString::fromLocal8Bit(argv[1]) : GeneratedData(temp);
    if (data.isEmpty() || !QFileInfo::exists(QDir(data).filePath(QStringLiteral("N10000")))) {
        std::fprintf(stderr, "usage: bench_month_list_vs_calcurse GEN_PY_OUTPUT_FOLDER\n");
        return 2;
    }
    // calcurse lists wall-clock times; no daylight-saving shift may apply.
    setenv("TZ", "UTC", 1);
    const QString calcurse = QStandardPaths::findExecutable(QStringLiteral("calcurse"));
    if (calcurse.isEmpty())
        std::printf(
            "# calcurse is not installed (this benchmark does not install it): "
            "only the month lister is measured\n");
    for (int n : {10000, 100000})
        Compare(data, n, calcurse);
    struct rusage self {};
    getrusage(RUSAGE_SELF, &self);
    std::printf("# a child's peak memory includes at least this program's own, %ld KB\n",
                self.ru_maxrss);
    return 0;
}
