// One sound at a time: starting a sound stops the one playing before, and the
// sound plays on without anyone waiting for its end. No audio device, or a
// file that cannot be played, is a silent failure.
#pragma once

#include <QString>
#include <memory>

class TSoundPlayer {
public:
    virtual ~TSoundPlayer() = default;
    // Stops what plays and starts the file. False when it could not be
    // started at once (no audio device, no such file); a failure found while
    // decoding later just ends the sound.
    virtual bool Play(const QString& fileName) = 0;
    virtual void Stop() = 0;
};

class QAudioOutput;
class QMediaPlayer;

// The real player: one QMediaPlayer with one QAudioOutput, created on the
// first Play so that a program that never plays a sound never loads the
// multimedia back end.
class TMediaSoundPlayer : public TSoundPlayer {
public:
    TMediaSoundPlayer();
    ~TMediaSoundPlayer() override;
    bool Play(const QString& fileName) override;
    void Stop() override;
    // The file last started, empty when none was or after Stop.
    QString CurrentFile() const { return current_; }

private:
    bool EnsurePlayer();

    std::unique_ptr<QAudioOutput> output_;
    std::unique_ptr<QMediaPlayer> player_;
    QString current_;
};
