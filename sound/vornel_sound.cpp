// vornel-sound FILE: plays one sound file and exits when it has ended. The
// program starts it for each sound and kills it to stop the sound. A sound
// that cannot be played ends it with a non-zero code and one line on standard
// error, the reason; the media stack's own messages are kept off that line.
#include <fcntl.h>
#include <unistd.h>

#include <QAudioDevice>
#include <QAudioOutput>
#include <QCoreApplication>
#include <QFileInfo>
#include <QMediaDevices>
#include <QMediaPlayer>
#include <QUrl>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace {

enum ExitCode { kPlayed = 0, kBadUse = 2, kNoSound = 3, kUnplayable = 4 };

// GStreamer can wait for ever inside QAudioOutput's constructor when its
// plugins are missing; playback normally starts well within this.
constexpr std::chrono::seconds kStartLimit{10};

int reportFd = STDERR_FILENO;

// The one line the program reads, then the end: nothing the media stack does
// while tearing down can hold the process after that.
[[noreturn]] void Finish(ExitCode code, const QString& reason = {}) {
    if (!reason.isEmpty()) {
        const QByteArray line = reason.toUtf8() + '\n';
        [[maybe_unused]] const ssize_t written = write(reportFd, line.constData(), line.size());
    }
    _exit(code);
}

// Standard error goes to /dev/null, the report to a copy of the real one;
// VORNEL_SOUND_DEBUG keeps the media stack's messages for a person to read.
void QuietenStandardError() {
    if (qEnvironmentVariableIsSet("VORNEL_SOUND_DEBUG")) return;
    const int copy = dup(STDERR_FILENO);
    const int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (copy >= 0 && null >= 0 && dup2(null, STDERR_FILENO) >= 0) {
        fcntl(copy, F_SETFD, FD_CLOEXEC);
        reportFd = copy;
    }
    if (null >= 0) close(null);
}

// Ends the process from a thread of its own when playback has not begun in
// time, because the main thread may be the one that is stuck.
class StartWatchdog {
public:
    StartWatchdog() : thread_([this] { Watch(); }) {}
    ~StartWatchdog() {
        Started();
        thread_.join();
    }
    void Started() {
        {
            std::lock_guard lock(mutex_);
            started_ = true;
        }
        changed_.notify_all();
    }

private:
    void Watch() {
        std::unique_lock lock(mutex_);
        if (!changed_.wait_for(lock, kStartLimit, [this] { return started_; }))
            Finish(kNoSound, QStringLiteral("the sound system did not answer"));
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    bool started_ = false;
    std::thread thread_;
};

QString ErrorReason(QMediaPlayer::Error error, const QString& text) {
    if (!text.isEmpty()) return text;
    switch (error) {
        case QMediaPlayer::FormatError:
            return QStringLiteral("not a sound format that can be played");
        case QMediaPlayer::ResourceError:
            return QStringLiteral("the file could not be read");
        case QMediaPlayer::AccessDeniedError:
            return QStringLiteral("access denied");
        default:
            return QStringLiteral("the sound could not be played");
    }
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QuietenStandardError();
    const QStringList args = app.arguments().mid(1);
    if (args.size() != 1) Finish(kBadUse, QStringLiteral("usage: vornel-sound FILE"));
    const QFileInfo file(args.first());
    if (!file.isFile()) Finish(kBadUse, QStringLiteral("no such file"));
    if (!file.isReadable()) Finish(kBadUse, QStringLiteral("the file cannot be read"));

    StartWatchdog watchdog;
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull()) Finish(kNoSound, QStringLiteral("no sound output device"));
    QAudioOutput output(device);
    QMediaPlayer player;
    player.setAudioOutput(&output);
    QObject::connect(&player, &QMediaPlayer::errorOccurred,
                     [](QMediaPlayer::Error error, const QString& text) {
                         Finish(kUnplayable, ErrorReason(error, text));
                     });
    QObject::connect(
        &player, &QMediaPlayer::mediaStatusChanged, [&watchdog](QMediaPlayer::MediaStatus status) {
            if (status == QMediaPlayer::BufferedMedia) watchdog.Started();
            if (status == QMediaPlayer::InvalidMedia)
                Finish(kUnplayable, QStringLiteral("not a sound format that can be played"));
            if (status == QMediaPlayer::EndOfMedia) Finish(kPlayed);
        });
    player.setSource(QUrl::fromLocalFile(file.absoluteFilePath()));
    player.play();
    return app.exec();
}
