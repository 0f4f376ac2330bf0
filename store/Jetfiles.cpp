#include "store/Jetfiles.h"

#include <signal.h>
#include <sys/prctl.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTimer>
#include <cmath>
#include <optional>
#include <utility>

namespace {

const QString kProgramName = QStringLiteral("vornel-jet-export");
// Far more than a decade of events; more is no calendar database.
constexpr qsizetype kMaxOutput = qsizetype(512) << 20;
constexpr qsizetype kMaxColumns = 256;

QString programOverride;
std::chrono::milliseconds timeout{90'000};

// A cursor over the helper's output; every read checks what it expects.
class Reader {
public:
    explicit Reader(const QByteArray& data) : data_(data) {}

    bool AtEnd() const { return pos_ == data_.size(); }
    [[noreturn]] void Fail(const char* what) const {
        throw EJetError(QStringLiteral("%1 at byte %2").arg(QLatin1String(what)).arg(pos_));
    }
    void Expect(QByteArrayView text) {
        if (QByteArrayView(data_).sliced(pos_).startsWith(text)) {
            pos_ += text.size();
            return;
        }
        Fail("unexpected text");
    }
    bool Peek(QByteArrayView text) const {
        return QByteArrayView(data_).sliced(pos_).startsWith(text);
    }
    // Decimal digits up to the byte "end", which is consumed.
    qint64 Number(char end) {
        qint64 n = 0;
        const qsizetype start = pos_;
        while (pos_ < data_.size() && data_[pos_] >= '0' && data_[pos_] <= '9') {
            if (pos_ - start >= 12) Fail("number too long");
            n = n * 10 + (data_[pos_++] - '0');
        }
        if (pos_ == start || pos_ >= data_.size() || data_[pos_] != end) Fail("bad number");
        ++pos_;
        return n;
    }
    // "-\n" (null) or "<count>:<bytes>\n".
    std::optional<QByteArray> Value() {
        if (Peek("-\n")) {
            pos_ += 2;
            return std::nullopt;
        }
        const qint64 size = Number(':');
        if (size > data_.size() - pos_ - 1 || data_[pos_ + size] != '\n') Fail("bad value length");
        QByteArray value = data_.mid(pos_, size);
        pos_ += size + 1;
        return value;
    }
    QByteArray Word() {
        const qsizetype space = data_.indexOf(' ', pos_);
        if (space < 0 || space - pos_ > 8) Fail("bad type");
        QByteArray word = data_.mid(pos_, space - pos_);
        pos_ = space + 1;
        return word;
    }

private:
    const QByteArray& data_;
    qsizetype pos_ = 0;
};

TJetType TypeOf(const QByteArray& word, Reader& in) {
    static const std::pair<const char*, TJetType> kTypes[] = {
        {"int", TJetType::Integer},  {"real", TJetType::Real}, {"date", TJetType::Date},
        {"bool", TJetType::Boolean}, {"text", TJetType::Text}, {"other", TJetType::Other}};
    for (const auto& [name, type] : kTypes)
        if (word == name) return type;
    in.Fail("unknown type");
}

QVariant Convert(const QByteArray& text, TJetType type, Reader& in) {
    bool ok = true;
    QVariant value;
    switch (type) {
        case TJetType::Integer:
        case TJetType::Boolean:
            value = text.toLongLong(&ok);
            break;
        case TJetType::Real:
        case TJetType::Date:
            value = text.toDouble(&ok);
            ok = ok && std::isfinite(value.toDouble());
            break;
        case TJetType::Text:
        case TJetType::Other: {
            const QString s = QString::fromUtf8(text);
            ok = s.toUtf8() == text;  // no invalid UTF-8 slips through as U+FFFD
            value = s;
            break;
        }
    }
    if (!ok) in.Fail("bad value");
    return value;
}

TJetTable ReadTable(Reader& in) {
    TJetTable table;
    in.Expect("T ");
    const qint64 count = in.Number(' ');
    if (count < 1 || count > kMaxColumns) in.Fail("bad column count");
    const std::optional<QByteArray> name = in.Value();
    if (!name) in.Fail("table without name");
    table.name = QString::fromUtf8(*name);
    for (qint64 c = 0; c < count; ++c) {
        in.Expect("C ");
        const TJetType type = TypeOf(in.Word(), in);
        const std::optional<QByteArray> name = in.Value();
        if (!name) in.Fail("column without name");
        table.columns.push_back({QString::fromUtf8(*name), type});
    }
    while (in.Peek("R\n")) {
        in.Expect("R\n");
        std::vector<QVariant>& row = table.rows.emplace_back();
        row.reserve(table.columns.size());
        for (const TJetColumn& column : table.columns) {
            const std::optional<QByteArray> text = in.Value();
            row.push_back(text ? Convert(*text, column.type, in) : QVariant());
        }
    }
    in.Expect("E ");
    if (in.Number('\n') != qint64(table.rows.size())) in.Fail("row count does not match");
    return table;
}

bool IsProgram(const QString& path) {
    const QFileInfo info(path);
    return info.isFile() && info.isExecutable();
}

QString LastLine(const QByteArray& text) {
    const QList<QByteArray> lines = text.trimmed().split('\n');
    return QString::fromUtf8(lines.last().trimmed()).left(200);
}

struct HelperRun {
    QByteArray output;
    QByteArray errors;
    bool timedOut = false;
    bool tooLong = false;
    bool started = true;
    QProcess::ExitStatus status = QProcess::NormalExit;
    int exitCode = 0;
};

// Runs the helper to its end in a local event loop, so that the windows
// still repaint meanwhile; clicks and keys wait.
HelperRun RunHelper(const QString& program, const QStringList& arguments) {
    HelperRun run;
    QProcess child;
    child.setProgram(program);
    child.setArguments(arguments);
    child.setStandardInputFile(QProcess::nullDevice());
    // A program that is killed takes its helper with it.
    child.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGKILL); });
    QEventLoop loop;
    QTimer limit;
    limit.setSingleShot(true);
    QObject::connect(&limit, &QTimer::timeout, &loop, [&] {
        run.timedOut = true;
        child.kill();
    });
    QObject::connect(&child, &QProcess::readyReadStandardOutput, &loop, [&] {
        run.output += child.readAllStandardOutput();
        if (run.output.size() > kMaxOutput && !run.tooLong) {
            run.tooLong = true;
            child.kill();
        }
    });
    // libmdb may warn once per damaged page: only the end is kept.
    QObject::connect(&child, &QProcess::readyReadStandardError, &loop,
                     [&] { run.errors = (run.errors + child.readAllStandardError()).right(4096); });
    QObject::connect(&child, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&child, &QProcess::errorOccurred, &loop, [&](QProcess::ProcessError e) {
        if (e != QProcess::FailedToStart) return;
        run.started = false;
        loop.quit();
    });
    child.start();
    if (run.started && child.state() != QProcess::NotRunning) {
        limit.start(timeout);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    if (child.state() != QProcess::NotRunning) {
        child.kill();
        child.waitForFinished(5000);
    }
    run.output += child.readAllStandardOutput();
    run.errors = (run.errors + child.readAllStandardError()).right(4096);
    run.status = child.exitStatus();
    run.exitCode = child.exitCode();
    return run;
}

// The user's text for a run that did not end well; empty when it did.
QString Failure(const HelperRun& run, const QString& file) {
    const QString name = QStringLiteral("\"%1\"").arg(file);
    if (!run.started)
        return QStringLiteral("The program that reads Windows databases (%1) could not be started.")
            .arg(kProgramName);
    if (run.timedOut) return QStringLiteral("Reading %1 took too long and was stopped.").arg(name);
    if (run.tooLong) return QStringLiteral("%1 is too large to be a calendar database.").arg(name);
    if (run.status == QProcess::CrashExit)
        return QStringLiteral(
                   "Reading %1 failed: the reading program stopped unexpectedly. The "
                   "file may be damaged.")
            .arg(name);
    switch (run.exitCode) {
        case 0:
            return {};
        case 3:
        case 4:
            return QStringLiteral(
                       "%1 is not a database of the Windows version, or it is damaged "
                       "(%2).")
                .arg(name, LastLine(run.errors));
        default:
            return QStringLiteral("Reading %1 failed (%2).").arg(name, LastLine(run.errors));
    }
}

}  // namespace

bool IsJetFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    const QByteArray head = file.read(19);
    return head.size() == 19 && head.startsWith(QByteArrayView("\0\1\0\0", 4)) &&
           (head.mid(4) == "Standard Jet DB" || head.mid(4) == "Standard ACE DB");
}

std::vector<TJetTable> ParseJetExport(const QByteArray& output) {
    Reader in(output);
    in.Expect("VORNEL-JET 1\n");
    std::vector<TJetTable> tables;
    while (in.Peek("T "))
        tables.push_back(ReadTable(in));
    in.Expect("Z\n");
    if (!in.AtEnd()) in.Fail("text after the end");
    return tables;
}

std::vector<TJetTable> ReadJetTables(const QString& path, const QStringList& tables) {
    if (!IsJetFile(path))
        throw EJetError(
            QStringLiteral("\"%1\" is not a database of the Windows version.").arg(path));
    const QString program = JetExportProgram();
    const HelperRun run = RunHelper(program.isEmpty() ? kProgramName : program,
                                    QStringList{QFileInfo(path).absoluteFilePath()} + tables);
    const QString failure = Failure(run, path);
    if (!failure.isEmpty()) throw EJetError(failure);
    std::vector<TJetTable> result;
    try {
        result = ParseJetExport(run.output);
    } catch (const EJetError& e) {
        throw EJetError(
            QStringLiteral("Reading \"%1\" gave damaged data (%2).").arg(path, e.Message()));
    }
    if (result.size() != size_t(tables.size()))
        throw EJetError(QStringLiteral("Reading \"%1\" gave the wrong tables.").arg(path));
    return result;
}

QString JetExportProgram() {
    if (!programOverride.isEmpty()) return programOverride;
    const QString fromEnvironment = qEnvironmentVariable("VORNEL_JET_EXPORT");
    if (!fromEnvironment.isEmpty()) return fromEnvironment;
    QStringList places;
    if (QCoreApplication::instance()) {
        const QString dir = QCoreApplication::applicationDirPath();
        places << dir + u'/' + kProgramName
               << dir + QStringLiteral("/" VORNEL_JET_EXPORT_FROM_BINDIR "/") + kProgramName;
    }
    places << QStringLiteral(VORNEL_JET_EXPORT_INSTALLED "/") + kProgramName
           << QStringLiteral(VORNEL_JET_EXPORT_BUILT);
    for (const QString& place : places)
        if (IsProgram(place)) return QFileInfo(place).absoluteFilePath();
    return QString();
}

void SetJetExportProgram(const QString& program) {
    programOverride = program;
}

std::chrono::milliseconds SetJetExportTimeout(std::chrono::milliseconds limit) {
    return std::exchange(timeout, limit);
}
