// One sound at a time: starting a sound stops the one playing before, and the
// sound plays on without anyone waiting for its end. The real player runs the
// media stack in a child process, so a sound stack that blocks or crashes can
// never stop the user interface or the reminder.
#pragma once

#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>
#include <chrono>
#include <functional>

class QProcess;
class QTimer;

// "The sound could not be played: <file>: <reason>", as the user reads it.
QString SoundFailureText(const QString& fileName, const QString& reason);

class TSoundPlayer {
public:
    // The file and why it could not be played.
    using FailureHandler = std::function<void(const QString& fileName, const QString& reason)>;

    virtual ~TSoundPlayer() = default;
    // Stops what plays and starts the file. False when it could not be
    // started at once (no such file). Why a sound could not be played
    // reaches the failure handler, from the event loop.
    virtual bool Play(const QString& fileName) = 0;
    virtual void Stop() = 0;

    // Failures go to handler while context lives (one listener at a time:
    // the notification window that started the sounds).
    void SetOnFailure(QObject* context, FailureHandler handler) {
        failureContext_ = context;
        onFailure_ = std::move(handler);
    }

protected:
    void Failed(const QString& fileName, const QString& reason) const {
        if (failureContext_ && onFailure_) onFailure_(fileName, reason);
    }

private:
    QPointer<QObject> failureContext_;
    FailureHandler onFailure_;
};

// The real player: each sound is played by the program "vornel-sound" in a
// process of its own, started without waiting; the next sound, Stop or the
// time limit kills it. A failure is written once to standard error (the same
// file and reason only once per player) and given to the failure handler.
class TProcessSoundPlayer : public QObject, public TSoundPlayer {
    Q_OBJECT

public:
    static constexpr std::chrono::milliseconds DefaultLimit = std::chrono::minutes(5);

    explicit TProcessSoundPlayer(QString program = SoundProgram(),
                                 std::chrono::milliseconds limit = DefaultLimit);
    ~TProcessSoundPlayer() override;
    bool Play(const QString& fileName) override;
    void Stop() override;

    // The file whose player process still runs; empty when silent.
    QString CurrentFile() const { return current_; }
    // The process id of that player, 0 when none runs.
    qint64 ProcessId() const;

    // Where vornel-sound is: beside the running program, then where it is
    // installed (relative to the program, then the configured prefix), then
    // in the build folder.
    static QString SoundProgram();

private:
    void Ended(QProcess* child, int exitCode, bool crashed);
    void Report(const QString& fileName, const QString& reason);
    static void Discard(QProcess* child);

    QString program_;
    std::chrono::milliseconds limit_;
    QProcess* child_ = nullptr;  // owned; a stopped one deletes itself once reaped
    QTimer* limitTimer_;
    QString current_;
    QByteArray errorText_;    // what the running child wrote to standard error
    QSet<QString> reported_;  // "file\nreason" already written to standard error
};
