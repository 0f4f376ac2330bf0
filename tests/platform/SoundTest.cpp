#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "platform/Sound.h"

// Whatever the machine's audio, a sound that cannot start is a quiet false.
TEST(MediaSoundPlayer, FilesThatDoNotExistFailQuietly) {
    QTemporaryDir dir;
    TMediaSoundPlayer player;
    EXPECT_FALSE(player.Play(""));
    EXPECT_FALSE(player.Play(dir.filePath("missing.wav")));
    EXPECT_FALSE(player.Play(dir.path()));  // a folder is no sound
    EXPECT_TRUE(player.CurrentFile().isEmpty());
    player.Stop();
    EXPECT_TRUE(player.CurrentFile().isEmpty());
}

TEST(MediaSoundPlayer, AFileThatIsNoSoundNeverThrowsOrHangs) {
    QTemporaryDir dir;
    QFile f(dir.filePath("noise.wav"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("this is not a wave file");
    f.close();
    TMediaSoundPlayer player;
    const bool started = player.Play(f.fileName());
    EXPECT_EQ(player.CurrentFile().isEmpty(), !started);
    player.Stop();
    EXPECT_TRUE(player.CurrentFile().isEmpty());
}
