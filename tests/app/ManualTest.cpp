// Finding the manual: beside an installed program wherever its prefix was
// moved, and nowhere when no candidate exists.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "app/Vnmanual.h"
#include "support/TestSupport.h"

TEST(Manual, FoundBesideTheProgramOfAMovedPrefix) {
    QTemporaryDir prefix;
    ASSERT_TRUE(QDir().mkpath(prefix.filePath("bin")));
    ASSERT_TRUE(QDir().mkpath(prefix.filePath("share/vornel/manual")));
    const QString index = prefix.filePath("share/vornel/manual/index.html");
    QFile file(index);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    const QStringList candidates = ManualCandidates(prefix.filePath("bin"));
    ASSERT_FALSE(candidates.isEmpty());
    EXPECT_EQ(candidates.first(), index);
    EXPECT_EQ(FindManual(prefix.filePath("bin")), index);
    // The home page is that file, not a web address.
    EXPECT_EQ(ManualStartPage(prefix.filePath("bin")), QUrl::fromLocalFile(index));
}

TEST(Manual, NoCandidateThatExistsGivesNothing) {
    QTemporaryDir dir;
    EXPECT_EQ(FirstExistingFile({dir.filePath("none/index.html"), dir.path()}), QString());
    EXPECT_EQ(FirstExistingFile({}), QString());
}
