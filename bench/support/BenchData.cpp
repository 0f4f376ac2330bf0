#include "support/BenchData.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTextStream>
#include <cstdio>
#include <stdexcept>

#include "reminder/Vnrecurrence.h"
#include "store/Adodb.h"
#include "store/Datafolder.h"
#include "store/Vneventrecord.h"

namespace {

int RecurrenceOf(const QString& kind) {
    static const char* const kinds[] = {
        "once", "", "daily", "weekly", "monthly_day", "monthly_nth_weekday", "yearly"};
    for (int r = 0; r < 7; ++r)
        if (r != 1 && kind == QLatin1String(kinds[r])) return r;
    return -1;
}

// "2011-04-02T22:45"
bool ParseStart(const QString& text, TDateTime& out) {
    int y = 0, mo = 0, d = 0, h = 0, mi = 0;
    if (std::sscanf(text.toLatin1().constData(), "%d-%d-%dT%d:%d", &y, &mo, &d, &h, &mi) != 5)
        return false;
    if (!TryEncodeDate(y, mo, d, out)) return false;
    out += EncodeTime(h, mi, 0, 0);
    return true;
}

TvnEventParams ParseLine(const QString& line, int number, TDateTime now) {
    // The description is the last column and may itself hold commas.
    const QStringList parts = line.split(u',');
    TvnEventParams e;
    bool ok = parts.size() >= 4;
    const int recurrence = ok ? RecurrenceOf(parts[0]) : -1;
    ok = ok && recurrence >= 0 && ParseStart(parts[1], e.Date);
    const int interval = ok ? parts[2].toInt(&ok) : 0;
    if (!ok)
        throw std::runtime_error("events.csv line " + std::to_string(number) + " is malformed");
    e.Recurrence = recurrence;
    e.eType = recurrence == rkOnce ? etEvent : etRecurring;
    e.nParam = std::max(interval, 1);
    e.Desc = parts.mid(3).join(u',');
    e.UseStartTime = true;
    CalcEventNotifyDate(&e, now);
    return e;
}

}  // namespace

std::vector<TvnEventParams> ReadBenchEvents(const QString& csvPath,
                                            const BenchLoadOptions& options) {
    QFile file(csvPath);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        throw std::runtime_error("cannot read " + csvPath.toStdString());
    const TDateTime now = options.now != 0 ? options.now : EncodeDate(2025, 6, 1) + 0.5;
    QTextStream in(&file);
    std::vector<TvnEventParams> rows;
    in.readLine();  // header
    for (int number = 2; !in.atEnd(); ++number) {
        const QString line = in.readLine();
        if (line.isEmpty()) continue;
        if (options.limit >= 0 && static_cast<int>(rows.size()) >= options.limit) break;
        rows.push_back(ParseLine(line, number, now));
    }
    return rows;
}

void AppendBenchEvents(TADOTable& events, const std::vector<TvnEventParams>& rows, int users) {
    TADOConnection* connection = events.Connection();
    connection->BeginTrans();
    for (size_t k = 0; k < rows.size(); ++k) {
        const TvnEventParams& e = rows[k];
        events.Append();
        const int user = static_cast<int>(k % static_cast<size_t>(std::max(users, 1)));
        events.FieldByName(QStringLiteral("UserID"))->SetAsInteger(user);
        EventToRow(events, e);
        events.Post();
    }
    connection->CommitTrans();
}

void CreateBenchDatabase(const QString& dbPath, const std::vector<TvnEventParams>& rows,
                         int users) {
    CreateDeliveredDatabase(dbPath);
    TADOConnection connection;
    connection.ConnectionString = DatabaseConnectionString(dbPath);
    TADOTable events(&connection);
    events.SetTableName(QStringLiteral("Events"));
    events.Open();
    AppendBenchEvents(events, rows, users);
}

int CreateBenchDatabase(const QString& dbPath, const QString& csvPath,
                        const BenchLoadOptions& options) {
    const std::vector<TvnEventParams> rows = ReadBenchEvents(csvPath, options);
    CreateBenchDatabase(dbPath, rows, options.users);
    return static_cast<int>(rows.size());
}

void PrintBench(const char* name, double value, const char* unit) {
    std::printf("BENCH %s %.6g %s\n", name, value, unit);
    std::fflush(stdout);
}

QString GeneratedBenchCsv(const QString& folder, int events) {
    const QString gen = QFileInfo(QStringLiteral(__FILE__))
                            .dir()
                            .filePath(QStringLiteral("../../../shared/benchdata/gen.py"));
    if (!QFileInfo::exists(gen)) return {};
    const QString n = QString::number(events);
    QProcess::execute(QStringLiteral("python3"), {gen, QStringLiteral("--out"), folder, n});
    return QDir(folder).filePath(QStringLiteral("N%1/events.csv").arg(n));
}
