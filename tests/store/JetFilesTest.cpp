// The Windows version's Jet databases read through the helper program: every
// row of the test databases arrives as written, the conversion keeps keys and
// the original file, the reader refuses any output that is not exactly the
// helper's form, and every way the reading can fail leaves the files as they
// were with a message saying why.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QDir>
#include <QTemporaryDir>

#include "store/Adoschema.h"
#include "store/Jetconvert.h"
#include "store/Jetfiles.h"
#include "store/Udbmanagement.h"
#include "support/JetFixtures.h"

namespace {

struct FixtureTable {
    const char* file;
    const char* table;
};

class JetRows : public ::testing::TestWithParam<FixtureTable> {};

TEST_P(JetRows, ArriveThroughTheHelperExactlyAsWritten) {
    const QJsonObject expected = ExpectedTable(GetParam().file, GetParam().table);
    const std::vector<TJetTable> tables =
        ReadJetTables(JetFixture(GetParam().file), {GetParam().table});
    ASSERT_EQ(tables.size(), 1u);
    const TJetTable& t = tables[0];
    const QJsonArray columns = expected["columns"].toArray();
    ASSERT_EQ(t.columns.size(), size_t(columns.size()));
    for (size_t c = 0; c < t.columns.size(); ++c)
        EXPECT_EQ(t.columns[c].name, columns[int(c)].toString());
    const QJsonArray rows = expected["rows"].toArray();
    ASSERT_EQ(t.rows.size(), size_t(rows.size()));
    for (size_t r = 0; r < t.rows.size(); ++r) {
        QStringList got;
        for (size_t c = 0; c < t.columns.size(); ++c)
            got << ValueText(t.rows[r][c], t.columns[c].type == TJetType::Date);
        EXPECT_EQ(got, RowText(rows[int(r)].toArray())) << "row " << r;
    }
}

INSTANTIATE_TEST_SUITE_P(Fixtures, JetRows,
                         ::testing::Values(FixtureTable{"windows-DB.vdbv2", "BColors"},
                                           FixtureTable{"windows-DB.vdbv2", "Events"},
                                           FixtureTable{"windows-DB.vdbv2", "Holidays"},
                                           FixtureTable{"windows-DB.vdbv2", "Notes"},
                                           FixtureTable{"v1-DB.vdb", "BColors"},
                                           FixtureTable{"v1-DB.vdb", "Events"}));

// The rows of a converted table, ID order, values as the JSON writes them.
std::vector<QStringList> StoredRows(const QString& path, const ado::TableDef& def) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* stmt = nullptr;
    const QByteArray sql = "SELECT * FROM \"" + QByteArray(def.name) + "\" ORDER BY ID";
    EXPECT_EQ(sqlite3_prepare_v2(db, sql.constData(), -1, &stmt, nullptr), SQLITE_OK);
    std::vector<QStringList> rows;
    while (stmt && sqlite3_step(stmt) == SQLITE_ROW) {
        QStringList row;
        for (size_t c = 0; c < def.columns.size(); ++c) {
            const int type = sqlite3_column_type(stmt, int(c));
            QVariant v;
            if (type == SQLITE_TEXT)
                v = QString::fromUtf8(
                    reinterpret_cast<const char*>(sqlite3_column_text(stmt, int(c))));
            else if (type != SQLITE_NULL)
                v = sqlite3_column_double(stmt, int(c));
            row << ValueText(v, def.columns[c].type == ado::ColumnType::DateTime);
        }
        rows.push_back(row);
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return rows;
}

TEST(JetConvert, AWindowsDatabaseBecomesOursWithEveryRowAndKeyInPlaceKeepingTheOriginal) {
    QTemporaryDir dir;
    const QString path = dir.filePath("DB.vdbv2");
    ASSERT_TRUE(QFile::copy(JetFixture("windows-DB.vdbv2"), path));
    const QByteArray original = FileBytes(path);
    EXPECT_TRUE(IsJetFile(path));

    EXPECT_EQ(ConvertJetDatabaseInPlace(path), path + ".jet");
    EXPECT_EQ(FileBytes(path + ".jet"), original);
    EXPECT_FALSE(IsJetFile(path));
    EXPECT_NO_THROW(CheckDatabaseFile(path));  // the program opens it
    for (const ado::TableDef& def : ado::AllTables()) {
        const QJsonArray rows = ExpectedTable("windows-DB.vdbv2", def.name)["rows"].toArray();
        const std::vector<QStringList> stored = StoredRows(path, def);
        ASSERT_EQ(stored.size(), size_t(rows.size())) << def.name;
        for (size_t r = 0; r < stored.size(); ++r)
            EXPECT_EQ(stored[r], RowText(rows[int(r)].toArray())) << def.name << " row " << r;
    }
    // A second original keeps the first.
    EXPECT_EQ(KeptJetFilePath(path), path + ".jet.1");
    // No temporary file stays behind (the open database's log aside).
    QStringList files = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
    files.removeIf([](const QString& f) { return f.endsWith("-wal") || f.endsWith("-shm"); });
    EXPECT_EQ(files, (QStringList{"DB.vdbv2", "DB.vdbv2.jet"}));
}

struct BadOutput {
    const char* name;
    QByteArray output;
};

class JetReader : public ::testing::TestWithParam<BadOutput> {};

const QByteArray kGood =
    "VORNEL-JET 1\nT 3 1:X\nC int 2:ID\nC date 1:D\nC text 1:S\n"
    "R\n1:7\n18:45384.458333333336\n5:a\nb\tc\nR\n-\n-\n0:\nE 2\nZ\n";

TEST(JetReader, ReadsNullsEmptyTextsRawDayCountsAndAnyByte) {
    const std::vector<TJetTable> tables = ParseJetExport(kGood);
    ASSERT_EQ(tables.size(), 1u);
    const TJetTable& t = tables[0];
    EXPECT_EQ(t.name, "X");
    ASSERT_EQ(t.rows.size(), 2u);
    EXPECT_EQ(t.rows[0][0], QVariant(qlonglong(7)));
    EXPECT_EQ(t.rows[0][1].toDouble(), 45384.458333333336);
    EXPECT_EQ(t.rows[0][2], QVariant(QString("a\nb\tc")));
    EXPECT_TRUE(t.rows[1][0].isNull());
    EXPECT_FALSE(t.rows[1][2].isNull());
    EXPECT_EQ(t.rows[1][2].toString(), "");
}

TEST_P(JetReader, RefusesOutputThatIsNotExactlyTheHelpersForm) {
    EXPECT_THROW(ParseJetExport(GetParam().output), EJetError);
}

QByteArray Replaced(QByteArray text, const char* from, const char* to) {
    return text.replace(from, to);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, JetReader,
    ::testing::Values(BadOutput{"Empty", ""}, BadOutput{"CutShort", kGood.left(60)},
                      BadOutput{"WithoutTheEnd", kGood.chopped(2)},
                      BadOutput{"TextAfterTheEnd", kGood + "x"},
                      BadOutput{"OtherVersion", Replaced(kGood, "JET 1", "JET 2")},
                      BadOutput{"WrongRowCount", Replaced(kGood, "E 2", "E 3")},
                      BadOutput{"LengthPastTheEnd", Replaced(kGood, "0:\nE", "9:\nE")},
                      BadOutput{"LengthTooShort", Replaced(kGood, "5:a", "4:a")},
                      BadOutput{"UnknownType", Replaced(kGood, "C int", "C blob")},
                      BadOutput{"NotANumber", Replaced(kGood, "1:7", "1:x")},
                      BadOutput{"NotADayCount", Replaced(kGood, "18:45384.458333333336", "3:inf")},
                      BadOutput{"HugeLength", Replaced(kGood, "1:7", "99999999999999:7")},
                      BadOutput{"NoColumns", "VORNEL-JET 1\nT 0 1:X\nE 0\nZ\n"},
                      BadOutput{"InvalidUtf8", Replaced(kGood, "5:a\nb\tc",
                                                        "5:a\xff"
                                                        "b\tc")}),
    [](const auto& info) { return std::string(info.param.name); });

struct Failure {
    const char* name;
    const char* source;       // a fixture copied as DB.vdbv2, or "" for the text below
    qsizetype keepBytes;      // cut the copy to this size (0: whole)
    QByteArray helperScript;  // a stand-in helper's body, or "" for the real one
    const char* messagePart;
};

class JetFailure : public ::testing::TestWithParam<Failure> {};

TEST_P(JetFailure, SaysWhyAndLeavesTheFileAsItWas) {
    const Failure& f = GetParam();
    QTemporaryDir dir;
    const QString path = dir.filePath("DB.vdbv2");
    QByteArray bytes = *f.source ? FileBytes(JetFixture(f.source)) : QByteArray("[Calendar]\n");
    if (f.keepBytes) bytes.truncate(f.keepBytes);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();
    QTemporaryDir helpers;
    const ScopedJetHelper helper(f.helperScript.isEmpty()
                                     ? QString()
                                     : WriteHelperScript(helpers, "helper", f.helperScript));

    try {
        ConvertJetDatabaseInPlace(path);
        ADD_FAILURE() << "converted";
    } catch (const EJetError& e) {
        EXPECT_TRUE(e.Message().contains(QLatin1String(f.messagePart)))
            << e.Message().toStdString();
    }
    EXPECT_EQ(FileBytes(path), bytes);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"DB.vdbv2"});
}

INSTANTIATE_TEST_SUITE_P(
    Rows, JetFailure,
    ::testing::Values(
        Failure{"TextFile", "", 0, "", "is not a database of the Windows version"},
        Failure{"TruncatedJetFile", "windows-DB.vdbv2", 100000, "", "or it is damaged"},
        Failure{"CutInTheHeader", "windows-DB.vdbv2", 2000, "", "or it is damaged"},
        Failure{"HelperKilledMidway", "windows-DB.vdbv2", 0, kHelperKilledMidway,
                "stopped unexpectedly"},
        Failure{"HelperCrashing", "windows-DB.vdbv2", 0, kHelperCrashing, "stopped unexpectedly"},
        Failure{"HelperNeverEnding", "windows-DB.vdbv2", 0, kHelperNeverEnding,
                "took too long and was stopped"},
        Failure{"HelperFailing", "windows-DB.vdbv2", 0, "exit 5", "failed"},
        Failure{"HelperWritingNonsense", "windows-DB.vdbv2", 0, "echo hello", "damaged data"},
        Failure{"HelperGivingAnotherTable", "windows-DB.vdbv2", 0,
                "printf 'VORNEL-JET 1\\nT 1 1:X\\nC text 2:ID\\nE 0\\nZ\\n'", "wrong tables"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
