#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <fstream>
#include <string>

#include "platform/IniFile.h"
#include "support/TestSupport.h"

namespace {

class IniFileTest : public ::testing::Test {
protected:
    QString Path(const QString& name = QStringLiteral("test.ini")) const {
        return dir_.filePath(name);
    }
    void WriteRaw(const QByteArray& bytes, const QString& name = QStringLiteral("test.ini")) {
        QFile f(Path(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QByteArray ReadRaw(const QString& name = QStringLiteral("test.ini")) const {
        QFile f(Path(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    QTemporaryDir dir_;
};

}  // namespace

TEST_F(IniFileTest, WritesSectionsAndKeysWithCrLf) {
    TIniFile ini(Path());
    ini.WriteString("EventID_0", "Desc", "Dentist");
    ini.WriteInteger("EventID_0", "eType", 0);
    ini.WriteFloat("EventID_0", "Date", 45363.375);
    ini.WriteBool("EventID_0", "Notify", true);
    ini.WriteInteger("General", "Count", 1);
    ASSERT_TRUE(ini.UpdateFile());
    EXPECT_EQ(ReadRaw(),
              "[EventID_0]\r\nDesc=Dentist\r\neType=0\r\nDate=45363.375\r\nNotify=1\r\n"
              "[General]\r\nCount=1\r\n");
}

TEST_F(IniFileTest, ReadsValuesWithTheirEncodings) {
    WriteRaw(
        "[general]\r\nCount = 12 \r\nHex=0x1F\r\nDollar=$10\r\nX=x0A\r\nNeg=-7\r\nBad=12abc\r\n"
        "Big=4294967296\r\nMin=-2147483648\r\nFlag=2\r\nOff=0\r\nF=45363,5\r\nG=1.5\r\n"
        "Q=\"quoted text\"\r\nS=' single '\r\nEmpty=\r\n");
    const TIniFile ini(Path());
    EXPECT_EQ(ini.ReadInteger("General", "count", 0), 12);
    EXPECT_EQ(ini.ReadInteger("General", "Hex", 0), 31);
    EXPECT_EQ(ini.ReadInteger("General", "Dollar", 0), 16);
    EXPECT_EQ(ini.ReadInteger("General", "X", 0), 10);
    EXPECT_EQ(ini.ReadInteger("General", "Neg", 0), -7);
    EXPECT_EQ(ini.ReadInteger("General", "Bad", 5), 5);
    EXPECT_EQ(ini.ReadInteger("General", "Big", 5), 5);
    EXPECT_EQ(ini.ReadInteger("General", "Min", 5), -2147483647 - 1);
    EXPECT_EQ(ini.ReadInteger("General", "Empty", 5), 5);
    EXPECT_EQ(ini.ReadInteger("General", "Missing", 5), 5);
    EXPECT_TRUE(ini.ReadBool("General", "Flag", false));
    EXPECT_FALSE(ini.ReadBool("General", "Off", true));
    EXPECT_TRUE(ini.ReadBool("General", "Missing", true));
    EXPECT_EQ(ini.ReadFloat("General", "F", -1), -1);  // comma where a point is current
    EXPECT_EQ(ini.ReadFloat("General", "G", -1), 1.5);
    EXPECT_EQ(ini.ReadString("General", "Q", ""), "quoted text");
    EXPECT_EQ(ini.ReadString("General", "S", ""), " single ");
    EXPECT_EQ(ini.ReadString("General", "Empty", "def"), "");
    EXPECT_EQ(ini.ReadString("Other", "Q", "def"), "def");
}

TEST_F(IniFileTest, StringWithALineBreakReadsBackUpToTheBreak) {
    {
        TIniFile ini(Path());
        ini.WriteString("EventID_0", "Notes", "first line\r\n[General]\r\nCount=99");
        ini.WriteString("EventID_0", "Desc", "a\nb");
        ASSERT_TRUE(ini.UpdateFile());
    }
    const TIniFile ini(Path());
    EXPECT_EQ(ini.ReadString("EventID_0", "Notes", ""), "first line");
    EXPECT_EQ(ini.ReadString("EventID_0", "Desc", ""), "a");
    EXPECT_FALSE(ini.SectionExists("General"));
}

TEST_F(IniFileTest, KeepsUnknownSectionsKeysAndLinesOnWrite) {
    WriteRaw("; comment\n[Application]\nWidth=10\nsomething odd\nUnknown=keep\n\n[Other]\nA=1\n");
    {
        TIniFile ini(Path());
        ini.WriteInteger("application", "WIDTH", 20);
        ini.WriteString("Application", "New", "x");
        ini.WriteString("Added", "K", "v");
        ASSERT_TRUE(ini.UpdateFile());
    }
    EXPECT_EQ(ReadRaw(),
              "; comment\r\n[Application]\r\nWIDTH=20\r\nsomething odd\r\nUnknown=keep\r\nNew=x\r\n"
              "\r\n[Other]\r\nA=1\r\n[Added]\r\nK=v\r\n");
}

TEST_F(IniFileTest, EraseSectionRemovesHeaderAndKeys) {
    WriteRaw("[A]\r\nx=1\r\n[B]\r\ny=2\r\n[a]\r\nz=3\r\n");
    TIniFile ini(Path());
    ini.EraseSection("a");
    EXPECT_FALSE(ini.SectionExists("A"));
    EXPECT_EQ(ini.ReadInteger("B", "y", 0), 2);
    ASSERT_TRUE(ini.UpdateFile());
    EXPECT_EQ(ReadRaw(), "[B]\r\ny=2\r\n");
}

TEST_F(IniFileTest, MoveSectionKeepsTheLinesBeforeTheFirstHeaderFirst) {
    WriteRaw("; top\r\n[A]\r\nx=1\r\n[B]\r\n[C]\r\ny=2\r\n");
    TIniFile ini(Path());
    ini.MoveSection("c", -5);
    EXPECT_EQ(ini.ReadSections(), (QStringList{"C", "A", "B"}));
    ini.MoveSection("A", 99);
    ini.MoveSection("Missing", 0);
    EXPECT_EQ(ini.ReadSections(), (QStringList{"C", "B", "A"}));
    EXPECT_EQ(ini.ReadInteger("A", "x", 0) + ini.ReadInteger("C", "y", 0), 3);
    ASSERT_TRUE(ini.UpdateFile());
    EXPECT_EQ(ReadRaw(), "; top\r\n[C]\r\ny=2\r\n[B]\r\n[A]\r\nx=1\r\n");
}

TEST_F(IniFileTest, DuplicateSectionsAndKeysReadTheFirst) {
    WriteRaw("[S]\nk=1\nk=2\n[S]\nk=3\nj=4\n");
    TIniFile ini(Path());
    EXPECT_EQ(ini.ReadInteger("S", "k", 0), 1);
    EXPECT_EQ(ini.ReadInteger("S", "j", 0), 0);
    ini.WriteInteger("S", "k", 9);
    EXPECT_EQ(ini.ReadInteger("S", "k", 0), 9);
}

TEST_F(IniFileTest, HostileFilesGiveValuesOrDefaults) {
    QByteArray binary;
    for (int i = 0; i < 4096; ++i)
        binary.append(static_cast<char>((i * 37) % 256));
    const QByteArray longLine =
        "[S]\r\nk=" + QByteArray(100000, 'x') + "\r\nj=2";  // no final break
    const QByteArray noEquals = "[S]\r\njust text\r\n[\r\n]\r\n=5\r\n[T\r\nk=7\r\n";
    for (const QByteArray& bytes : {binary, longLine, noEquals, QByteArray()}) {
        WriteRaw(bytes);
        const TIniFile ini(Path());
        (void)ini.ReadString("S", "k", "");
        (void)ini.ReadInteger("S", "j", 0);
        (void)ini.ReadSections();
    }
    WriteRaw(longLine);
    const TIniFile ini(Path());
    EXPECT_EQ(ini.ReadString("S", "k", "").size(), 2047);
    EXPECT_EQ(ini.ReadInteger("S", "j", 0), 2);
    WriteRaw(noEquals);
    const TIniFile odd(Path());
    EXPECT_EQ(odd.ReadInteger("T", "k", 0), 7);  // an unclosed header still names its section
}

TEST_F(IniFileTest, InvalidUtf8IsReadAsWindows1252) {
    WriteRaw("[S]\r\nName=Caf\xE9 \x80\r\n");
    EXPECT_EQ(TIniFile(Path()).ReadString("S", "Name", ""), QString::fromUtf8("Café €"));
    WriteRaw("[S]\r\nName=Caf\xC3\xA9\r\n");
    EXPECT_EQ(TIniFile(Path()).ReadString("S", "Name", ""), QString::fromUtf8("Café"));
}

// Old Macintosh tools end lines in CR alone; such a file read as one line.
TEST_F(IniFileTest, LoneCrAndMixedLineEndsEndLines) {
    for (const char* bytes : {"[S]\ra=1\rb= two \r[T]\rc=3\r", "[S]\na=1\r\nb= two \r[T]\n\rc=3",
                              "[S]\r\na=1\r\nb= two \r\n[T]\r\nc=3\r\n"}) {
        WriteRaw(bytes);
        const TIniFile ini(Path());
        EXPECT_EQ(ini.ReadSections(), (QStringList{"S", "T"})) << bytes;
        EXPECT_EQ(ini.ReadInteger("S", "a", 0) + ini.ReadInteger("T", "c", 0), 4) << bytes;
        EXPECT_EQ(ini.ReadString("S", "b", ""), "two") << bytes;
    }
}

// One stray byte used to turn every text of the file into Windows-1252.
TEST_F(IniFileTest, OneInvalidByteSpoilsOnlyItsOwnLine) {
    WriteRaw("[S]\r\nA=Caf\xC3\xA9\r\nB=Caf\xE9\r\n[\xE2\x82\xAC]\r\nC=\xE2\x82\xAC 5\r\n");
    TIniFile ini(Path());
    EXPECT_EQ(ini.ReadString("S", "A", ""), QString::fromUtf8("Caf\u00e9"));
    EXPECT_EQ(ini.ReadString("S", "B", ""), QString::fromUtf8("Caf\u00e9"));
    EXPECT_EQ(ini.ReadString(QString::fromUtf8("\u20ac"), "C", ""), QString::fromUtf8("\u20ac 5"));
    ini.WriteInteger("S", "D", 1);
    ASSERT_TRUE(ini.UpdateFile());  // written back all UTF-8
    EXPECT_EQ(
        ReadRaw(),
        "[S]\r\nA=Caf\xC3\xA9\r\nB=Caf\xC3\xA9\r\nD=1\r\n[\xE2\x82\xAC]\r\nC=\xE2\x82\xAC 5\r\n");
}

namespace {

qint64 StatusKilobytes(const std::string& field) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind(field + ":", 0) == 0) return std::stoll(line.substr(field.size() + 1));
    return -1;
}

}  // namespace

// A million small sections took 2.7 GB: a hash table and three strings a line.
TEST_F(IniFileTest, ABigFileTakesAFewTimesItsSizeInMemory) {
    {
        std::ofstream out(Path().toStdString(), std::ios::binary);
        for (int i = 0; i < 200000; ++i)
            out << "[EventID_" << i << "]\r\nDesc=Event " << i << "\r\nDate=45400.375\r\n";
        out << "[General]\r\nCount=200000\r\n";
    }
    std::ofstream reset("/proc/self/clear_refs");
    if (!(reset << "5" << std::flush)) GTEST_SKIP() << "the peak memory cannot be reset here";
    reset.close();
    const qint64 before = StatusKilobytes("VmRSS");
    const TIniFile ini(Path());
    EXPECT_EQ(ini.ReadString("EventID_199999", "Desc", ""), "Event 199999");
    const qint64 fileKb = QFileInfo(Path()).size() / 1024;
    EXPECT_LT(StatusKilobytes("VmHWM") - before, 4 * fileKb);
}

TEST_F(IniFileTest, FailedWriteLeavesTheOldFile) {
    WriteRaw("[S]\r\nk=1\r\n");
    TIniFile ini(dir_.filePath("missing-folder/test.ini"));
    ini.WriteInteger("S", "k", 2);
    EXPECT_FALSE(ini.UpdateFile());
    EXPECT_FALSE(ini.ErrorString().isEmpty());
    EXPECT_EQ(ReadRaw(), "[S]\r\nk=1\r\n");
}

TEST_F(IniFileTest, UpdateLeavesNoTemporaryFiles) {
    TIniFile ini(Path());
    ini.WriteInteger("S", "k", 1);
    ASSERT_TRUE(ini.UpdateFile());
    EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files), QStringList{"test.ini"});
}

TEST_F(IniFileTest, ManyWritesStayFast) {
    // Ten thousand sections of sixteen keys: each write must not rescan the file.
    TIniFile ini(Path());
    for (int i = 0; i < 10000; ++i) {
        for (int k = 0; k < 16; ++k)
            ini.WriteInteger(QString("EventID_%1").arg(i), QString("K%1").arg(k), k);
    }
    ASSERT_TRUE(ini.UpdateFile());
    const TIniFile back(Path());
    EXPECT_EQ(back.ReadInteger("EventID_9999", "K15", 0), 15);
    EXPECT_EQ(back.ReadSections().size(), 10000);
}
