#include "platform/Sound.h"

#include <sys/prctl.h>

#include <csignal>

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QTimer>
#include <cstdio>
#include <utility>

namespace {

const QString kProgramName = QStringLiteral("vornel-sound");
// Enough for the reason line; the rest of a chatty child is dropped.
constexpr qsizetype kKeptErrorBytes = 4096;

bool IsProgram(const QString& path) {
    const QFileInfo file(path);
    return file.isFile() && file.isExecutable();
}

QString LastLine(const QByteArray& text) {
    const QList<QByteArray> lines = text.trimmed().split('\n');
    return QString::fromUtf8(lines.last()).trimmed();
}

}  // namespace

QString SoundFailureText(const QString& fileName, const QString& reason) {
    return QStringLiteral("The sound could not be played: %1: %2").arg(fileName, reason);
}

TProcessSoundPlayer::TProcessSoundPlayer(QString program, std::chrono::milliseconds limit)
    : program_(std::move(program)), limit_(limit), limitTimer_(new QTimer(this)) {
    limitTimer_->setSingleShot(true);
    // A sound that goes on (or a player that hangs) ends here, quietly.
    connect(limitTimer_, &QTimer::timeout, this, [this] { Stop(); });
}

TProcessSoundPlayer::~TProcessSoundPlayer() {
    Stop();
}

QString TProcessSoundPlayer::SoundProgram() {
    const QString dir = QCoreApplication::applicationDirPath();
    const QStringList places = {
        dir + u'/' + kProgramName,
        dir + QStringLiteral("/" VORNEL_SOUND_FROM_BINDIR "/") + kProgramName,
        QStringLiteral(VORNEL_SOUND_INSTALLED "/") + kProgramName,
        QStringLiteral(VORNEL_SOUND_BUILT),
    };
    for (const QString& place : places)
        if (IsProgram(place)) return QFileInfo(place).absoluteFilePath();
    return QString();
}

bool TProcessSoundPlayer::Play(const QString& fileName) {
    Stop();
    const QFileInfo file(fileName);
    if (fileName.isEmpty() || !file.isFile() || !file.isReadable()) return false;
    if (!IsProgram(program_)) {
        Report(fileName, QStringLiteral("the sound player %1 is missing")
                             .arg(program_.isEmpty() ? kProgramName : program_));
        return false;
    }
    auto* child = new QProcess;
    child->setProgram(program_);
    child->setArguments({file.absoluteFilePath()});
    child->setStandardInputFile(QProcess::nullDevice());
    child->setStandardOutputFile(QProcess::nullDevice());
    // A program that is killed takes its sound with it.
    child->setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGKILL); });
    connect(child, &QProcess::readyReadStandardError, this, [this, child] {
        errorText_ = (errorText_ + child->readAllStandardError()).right(kKeptErrorBytes);
    });
    connect(child, &QProcess::finished, this, [this, child](int code, QProcess::ExitStatus status) {
        Ended(child, code, status == QProcess::CrashExit);
    });
    connect(child, &QProcess::errorOccurred, this, [this, child](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) Ended(child, -1, true);
    });
    // Set before the start, which may already report that it failed.
    child_ = child;
    current_ = fileName;
    errorText_.clear();
    limitTimer_->start(limit_);
    child->start();
    return child_ == child;
}

void TProcessSoundPlayer::Stop() {
    limitTimer_->stop();
    current_.clear();
    if (child_) Discard(std::exchange(child_, nullptr));
}

qint64 TProcessSoundPlayer::ProcessId() const {
    return child_ ? child_->processId() : 0;
}

// A child that was stopped is no failure: it is killed without a word and
// lives on only until it has been reaped.
void TProcessSoundPlayer::Discard(QProcess* child) {
    child->disconnect();
    if (child->state() == QProcess::NotRunning) {
        child->deleteLater();
        return;
    }
    connect(child, &QProcess::finished, child, &QObject::deleteLater);
    child->kill();
}

void TProcessSoundPlayer::Ended(QProcess* child, int exitCode, bool crashed) {
    if (child != child_) return;
    const QString fileName = std::exchange(current_, QString());
    child_ = nullptr;
    limitTimer_->stop();
    const QString line = LastLine(errorText_ + child->readAllStandardError());
    const QString startError =
        child->error() == QProcess::FailedToStart ? child->errorString() : QString();
    Discard(child);
    if (!crashed && exitCode == 0) return;
    QString reason = line;
    if (reason.isEmpty()) reason = startError;
    if (reason.isEmpty())
        reason = crashed ? QStringLiteral("the sound player stopped unexpectedly")
                         : QStringLiteral("the sound player ended with code %1").arg(exitCode);
    Report(fileName, reason);
}

void TProcessSoundPlayer::Report(const QString& fileName, const QString& reason) {
    const QString key = fileName + u'\n' + reason;
    if (!reported_.contains(key)) {
        reported_.insert(key);
        std::fprintf(stderr, "Vornel: %s\n",
                     SoundFailureText(fileName, reason).toUtf8().constData());
        std::fflush(stderr);
    }
    // Later, from the event loop: a listener may start the next sound.
    QMetaObject::invokeMethod(
        this, [this, fileName, reason] { Failed(fileName, reason); }, Qt::QueuedConnection);
}
